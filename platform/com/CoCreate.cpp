#include "platform/com/CoCreate.h"

#include "platform/com/ComPtr.h"
#include "platform/shell/ShellLink.h"

namespace platform::com {

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    if ((context & CLSCTX_INPROC_SERVER) == 0 || !(clsid == shell::CLSID_ShellLink))
        return REGDB_E_CLASSNOTREG;
    const ComPtr<shell::CShellLink> link = MakeCom<shell::CShellLink>();
    return static_cast<IShellLinkA*>(link.Get())->QueryInterface(iid, out);
}

} // namespace platform::com
