#pragma once
// A data object that hands out its blocks and takes nothing: the methods
// every such object answers alike, and the test of a request for a block in
// global memory. A subclass gives GetData and QueryGetData.

#include "platform/com/ComObject.h"
#include "platform/com/ShellInterfaces.h"

namespace platform::com {

// True when `format` asks for the whole content, for no device, in global
// memory: the only way these objects give a block.
inline bool IsGlobalContentRequest(const FORMATETC& format)
{
    return format.ptd == nullptr && (format.dwAspect & DVASPECT_CONTENT) != 0 && format.lindex == -1
        && (format.tymed & TYMED_HGLOBAL) != 0;
}

class GiveOnlyDataObject : public ComImplements<ComObject, IDataObject> {
public:
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** out) override
    {
        if (out != nullptr)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT DAdvise(FORMATETC*, DWORD, IUnknown*, DWORD*) override { return E_NOTIMPL; }
    HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT EnumDAdvise(IUnknown**) override { return E_NOTIMPL; }

protected:
    // How every GetData starts: the medium emptied, then QueryGetData's
    // answer, S_OK when the block may be given.
    HRESULT AcceptRequest(FORMATETC* format, STGMEDIUM* medium)
    {
        if (format == nullptr || medium == nullptr)
            return E_INVALIDARG;
        *medium = STGMEDIUM();
        return QueryGetData(format);
    }
};

} // namespace platform::com
