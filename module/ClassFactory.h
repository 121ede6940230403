#pragma once
// CClassFactory: the class object of one creatable class. Every
// CreateInstance makes a new instance; instances are never shared.
// LockServer holds the module lock count up and down.

#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"

namespace pellidor {

class CClassFactory : public platform::com::ComImplements<platform::com::ComObject, IClassFactory> {
public:
    // A new instance with one reference, or null when none can be made.
    using Creator = platform::com::ComPtr<IUnknown> (*)();

    explicit CClassFactory(Creator create) : create_(create) { }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT LockServer(BOOL lock) override;

protected:
    ~CClassFactory() override = default;

private:
    Creator create_;
};

} // namespace pellidor
