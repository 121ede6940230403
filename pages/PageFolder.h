#pragma once
// CPageFolder: the property page of a catalogued folder (template 156): its
// name, type, place, the files and folders below it at all levels with
// their total size, its creation time and attributes.

#include "pages/ItemPage.h"

#include <memory>

namespace Ui {
class PageFolder;
}

namespace pellidor {

class CCatItem;

class CPageFolder : public CItemPage {
    Q_OBJECT
public:
    // Walks the whole subtree once, reading sub-folders from the catalog.
    explicit CPageFolder(CCatItem& folder);
    ~CPageFolder() override;

private:
    std::unique_ptr<Ui::PageFolder> ui_;
};

} // namespace pellidor
