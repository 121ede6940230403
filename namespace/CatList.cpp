#include "namespace/CatList.h"

#include "namespace/CatFolder.h"

namespace pellidor {

CCatList::CCatList(CCatFolder* folder, DWORD flags)
    : folder_(platform::com::ComPtr<CCatFolder>::AddRefed(folder))
    , flags_(flags)
{
}

CCatList::~CCatList() = default;

HRESULT CCatList::Next(ULONG, LPITEMIDLIST* out, ULONG* fetched)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    if (fetched != nullptr)
        *fetched = 0;
    if (!folder_ || !folder_->LoadChildren(false))
        return E_OUTOFMEMORY;
    // One identifier per call, whatever the count: the shell asks again.
    while (index_ < folder_->GetChildCount()) {
        CCatItem* child = folder_->GetChild(index_++);
        if (child == nullptr || !child->IsIncludedInEnum(flags_))
            continue;
        LPITEMIDLIST id = child->GetLastID();
        if (id == nullptr)
            continue; // could not be allocated: skipped
        *out = id;
        if (fetched != nullptr)
            *fetched = 1;
        return S_OK;
    }
    return S_FALSE;
}

HRESULT CCatList::Skip(ULONG)
{
    return E_NOTIMPL;
}

HRESULT CCatList::Reset()
{
    index_ = 0;
    return S_OK;
}

HRESULT CCatList::Clone(IEnumIDList** out)
{
    if (out != nullptr)
        *out = nullptr;
    return E_NOTIMPL;
}

} // namespace pellidor
