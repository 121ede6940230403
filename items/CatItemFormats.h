#pragma once
// CCatItemFormats: the format enumerator of every item's data object. It
// offers the identifier-list format alone; a file delivers dropped-file data
// when asked, but that format is never enumerated, because delivering it may
// ask the user for a medium.

#include "module/ModuleLock.h"
#include "platform/com/ComObject.h"
#include "platform/com/ShellInterfaces.h"

namespace pellidor {

// The one offered format: the identifier-list format, no target device, the
// content aspect, index -1, a global memory block.
const FORMATETC& IdListFormatEtc();

class CCatItemFormats : public platform::com::ComImplements<platform::com::ComObject, IEnumFORMATETC> {
public:
    CCatItemFormats() = default;

    // At most one entry per call, whatever `count`: S_OK with the entry while
    // it has not been delivered, then S_FALSE with `fetched` 0.
    HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumFORMATETC** out) override;

protected:
    ~CCatItemFormats() override = default;

private:
    ModuleLock lock_;
    ULONG position_ = 0;
};

} // namespace pellidor
