#pragma once
// Showing an item's property sheet is the user interface's part: it provides
// an IPropertySheetUi, and without one (the command-line tool) the items'
// Properties commands answer E_NOTIMPL. The items decide what the sheet is
// about: a catalogued file or folder with its catalog, or a catalog alone.

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"

namespace pellidor {

class CCatItem;
class CShelfItem;

class IPropertySheetUi {
public:
    // Shows the sheet of `item` (a catalogued file or folder; null for the
    // catalog itself) followed by the volume page of `catalog`, modally
    // over `owner`; returns when it has closed. Runs on the user-interface
    // thread.
    virtual void ShowProperties(HWND owner, CCatItem* item, CShelfItem& catalog) = 0;

protected:
    ~IPropertySheetUi() = default;
};

// The sheet the Properties commands use; null: none. Not owned; it must
// outlive its use (the library sets it once, as it loads).
void SetPropertySheetUi(IPropertySheetUi* ui);
IPropertySheetUi* PropertySheetUi();

// A temporary catalog item for the catalog that holds `item`: made from the
// root list and a list of the item's catalog element alone (the shelf
// folders above it left out). Null when the item has no catalog element.
platform::com::ComPtr<CShelfItem> CatalogItemOf(const CCatItem& item);

} // namespace pellidor
