#include "platform/com/ComObject.h"

namespace platform::com {

IUnknown* ComObject::FindInterface(REFIID)
{
    return nullptr;
}

HRESULT ComObject::QueryInterfaceImpl(REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    IUnknown* found = FindInterface(iid);
    *out = found;
    if (found == nullptr)
        return E_NOINTERFACE;
    AddRefImpl();
    return S_OK;
}

ULONG ComObject::AddRefImpl()
{
    return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
}

ULONG ComObject::ReleaseImpl()
{
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0)
        delete this;
    return left;
}

} // namespace platform::com
