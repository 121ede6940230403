#include "items/CatItem.h"

#include <new>

namespace pellidor {

platform::com::ComPtr<CCatItem> CreateItemObject(LPCITEMIDLIST root, LPCITEMIDLIST own)
{
    // Every kind is a plain item until the folder, shelf item and shelf
    // folder classes take over their kinds.
    auto item = platform::com::ComPtr<CCatItem>::Adopt(new (std::nothrow) CCatItem(root, own));
    // An item whose lists could not be copied names nothing: out of memory.
    if (item && ((root && !item->RootIdList()) || (own && !item->OwnIdList())))
        return nullptr;
    return item;
}

} // namespace pellidor
