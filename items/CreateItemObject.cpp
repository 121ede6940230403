#include "items/CatItem.h"
#include "items/ShelfFolder.h"
#include "items/ShelfItem.h"
#include "namespace/CatFolder.h"
#include "namespace/IdList.h"

#include <new>

namespace pellidor {

namespace {

CCatItem* NewItemFor(LPCITEMIDLIST root, LPCITEMIDLIST own)
{
    const LPCITEMIDLIST last = LastElement(own);
    switch (last != nullptr ? ElementKind(last) : kKindFile) {
    case kKindFolder:
        return new (std::nothrow) CCatFolder(root, own);
    case kKindCatalog:
        return new (std::nothrow) CShelfItem(root, own);
    case kKindShelfFolder:
        return new (std::nothrow) CShelfFolder(root, own);
    default:
        return new (std::nothrow) CCatItem(root, own);
    }
}

} // namespace

platform::com::ComPtr<CCatItem> CreateItemObject(LPCITEMIDLIST root, LPCITEMIDLIST own)
{
    auto item = platform::com::ComPtr<CCatItem>::Adopt(NewItemFor(root, own));
    // An item whose lists could not be copied names nothing: out of memory.
    if (item && ((root && !item->RootIdList()) || (own && !item->OwnIdList())))
        return nullptr;
    return item;
}

} // namespace pellidor
