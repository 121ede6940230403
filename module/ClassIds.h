#pragma once
// The class identifiers and ProgIDs of the library's creatable classes. They
// are fixed: the registry, shortcuts and the shell's own identifier lists
// hold them, so they never change between versions. Every product folder may
// name them without knowing the classes.

#include "platform/com/Guid.h"

namespace pellidor {

// The shelf folder, the namespace root.
constexpr CLSID CLSID_ShelfFolder
    = MakeGuid(0x4C7D2A90, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);
constexpr const char* kShelfFolderProgId = "Pellidor.ShelfFolder";
// The drive context menu.
constexpr CLSID CLSID_ReadMenu = MakeGuid(0x4C7D2A91, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);
constexpr const char* kReadMenuProgId = "Pellidor.ReadMenu";
// The Find-menu extension.
constexpr CLSID CLSID_SearchMenu = MakeGuid(0x4C7D2A92, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);
constexpr const char* kSearchMenuProgId = "Pellidor.SearchMenu";

} // namespace pellidor
