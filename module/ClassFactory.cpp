#include "module/ClassFactory.h"

#include "module/ModuleLock.h"

namespace pellidor {

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    const auto instance = create_ != nullptr ? create_() : nullptr;
    if (!instance)
        return E_OUTOFMEMORY;
    // When the interface is not offered, the instance dies with `instance`.
    return instance->QueryInterface(iid, out);
}

HRESULT CClassFactory::LockServer(BOOL lock)
{
    if (lock != 0)
        LockModule();
    else
        UnlockModule();
    return S_OK;
}

} // namespace pellidor
