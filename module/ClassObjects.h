#pragma once
// The class objects: one IClassFactory per creatable class, made when the
// library loads and handed out only through DllGetClassObject (and
// GetClassObject for the command-line tool, the same path). Every
// CreateInstance makes a new instance.

#include "platform/com/Guid.h"
#include "platform/com/Types.h"

#include <vector>

namespace pellidor {

// *out is null first; CLASS_E_CLASSNOTAVAILABLE for a CLSID not in the
// table, else the class object's QueryInterface for `iid`.
HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);

// True when the module lock count is 0 and no class object is referenced
// from outside (each holds only the module's own reference).
bool CanUnloadNow();

// The ProgID of a class in the table; null when it is not there.
const char* ProgIdOf(REFCLSID clsid);

// The table's classes, in its order.
struct ClassName {
    CLSID clsid;
    const char* progId;
};
std::vector<ClassName> ClassTable();

} // namespace pellidor
