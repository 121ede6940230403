#pragma once
// CCatList: the enumerator a folder hands to the shell. It walks the folder's
// children and gives one identifier per Next, whatever count is asked for;
// Reset rewinds without reading the catalog again.

#include "module/ModuleLock.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"

#include <cstdint>

namespace pellidor {

class CCatFolder;

class CCatList : public platform::com::ComImplements<platform::com::ComObject, IEnumIDList> {
public:
    // Holds one reference to `folder` for its whole life.
    CCatList(CCatFolder* folder, DWORD flags);

    HRESULT Next(ULONG count, LPITEMIDLIST* out, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumIDList** out) override;

protected:
    ~CCatList() override;

private:
    ModuleLock lock_;
    platform::com::ComPtr<CCatFolder> folder_;
    std::int32_t index_ = 0;
    DWORD flags_;
};

} // namespace pellidor
