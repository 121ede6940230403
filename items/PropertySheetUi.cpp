#include "items/PropertySheetUi.h"

#include "items/ShelfItem.h"

namespace pellidor {

namespace {

IPropertySheetUi* g_propertySheetUi = nullptr;

} // namespace

void SetPropertySheetUi(IPropertySheetUi* ui)
{
    g_propertySheetUi = ui;
}

IPropertySheetUi* PropertySheetUi()
{
    return g_propertySheetUi;
}

platform::com::ComPtr<CShelfItem> CatalogItemOf(const CCatItem& item)
{
    const IdListPtr catalog = CopyCatalogElement(item.OwnIdList());
    if (catalog == nullptr)
        return {};
    return platform::com::MakeCom<CShelfItem>(item.RootIdList(), catalog.get());
}

} // namespace pellidor
