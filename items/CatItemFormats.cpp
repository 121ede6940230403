#include "items/CatItemFormats.h"

#include "items/DataTransfer.h"

namespace pellidor {

const FORMATETC& IdListFormatEtc()
{
    static const FORMATETC format = [] {
        FORMATETC f;
        f.cfFormat = ShellIdListFormat();
        f.ptd = nullptr;
        f.dwAspect = DVASPECT_CONTENT;
        f.lindex = -1;
        f.tymed = TYMED_HGLOBAL;
        return f;
    }();
    return format;
}

HRESULT CCatItemFormats::Next(ULONG count, FORMATETC* out, ULONG* fetched)
{
    if (position_ == 0 && count > 0 && out) {
        out[0] = IdListFormatEtc();
        ++position_;
        if (fetched)
            *fetched = 1;
        return S_OK;
    }
    if (fetched)
        *fetched = 0;
    return S_FALSE;
}

HRESULT CCatItemFormats::Skip(ULONG)
{
    return E_NOTIMPL;
}

HRESULT CCatItemFormats::Reset()
{
    position_ = 0;
    return S_OK;
}

HRESULT CCatItemFormats::Clone(IEnumFORMATETC**)
{
    return E_NOTIMPL;
}

} // namespace pellidor
