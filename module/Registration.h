#pragma once
// The library's own registration (DllRegisterServer): for every class of the
// class-object table, its ProgID and CLSID keys under HKEY_CLASSES_ROOT.
// What makes a shell use the classes (junctions, drive-menu handler, Find
// entry, threading model) is Setup's to write, not the library's.

#include <string>

namespace pellidor {

// For each class, in table order: the keys ProgID and CLSID\{…} with their
// default values only when they do not exist yet (an existing default is
// kept), then, replacing what is there, ProgID\CLSID, CLSID\{…}\ProgID and
// CLSID\{…}\InProcServer32 = `libraryPath`. Nothing else. Stops at the first
// create or write that fails and answers false; true when all were written.
bool RegisterClasses(const std::string& libraryPath);

} // namespace pellidor
