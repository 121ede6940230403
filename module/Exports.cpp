// The library's exports, with C linkage and default visibility; everything
// else in Pellidor.so stays hidden.

#include "module/ModuleLock.h"
#include "platform/com/Guid.h"
#include "platform/com/Types.h"

#define PELLIDOR_EXPORT extern "C" __attribute__((visibility("default")))

PELLIDOR_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    (void)clsid;
    (void)iid;
    if (out != nullptr)
        *out = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

PELLIDOR_EXPORT HRESULT DllCanUnloadNow()
{
    return pellidor::ModuleLockCount() == 0 ? S_OK : S_FALSE;
}
