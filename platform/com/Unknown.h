#pragma once
// IUnknown. Every interface names its own identifier as kIid, which is what
// the object's interface table is built from.

#include "platform/com/Guid.h"

struct IUnknown {
    static constexpr IID kIid = MakeGuid(0x00000000, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);

    virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    // Objects die through Release, never through an interface pointer.
    ~IUnknown() = default;
};

constexpr IID IID_IUnknown = IUnknown::kIid;
