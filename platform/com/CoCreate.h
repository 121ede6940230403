#pragma once
// Creating the platform's own classes by their class id, as a program asks
// the system for a shell link. Extensions' classes are not served here: a
// host loads their libraries itself (their InprocServer32 entries).

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);

namespace platform::com {

// A new object of `clsid` asked for `iid`, with one reference, in `*out`.
// REGDB_E_CLASSNOTREG for a class the platform does not serve or a context
// without CLSCTX_INPROC_SERVER, CLASS_E_NOAGGREGATION with an outer object,
// E_NOINTERFACE (and a null `*out`) when the object lacks the interface.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);

} // namespace platform::com
