#pragma once
// The shell's special folders, and the identifier lists of file-system
// folders: the Favorites folder is $XDG_DATA_HOME/pellidor/Favorites,
// named in the namespace as any folder of the file system is.

#include "platform/com/ShellTypes.h"
#include "platform/com/Types.h"

#include <optional>
#include <string>
#include <vector>

namespace platform::shell {

constexpr int CSIDL_FAVORITES = 0x0006;

// The absolute list of a folder of the file system: below the drive whose
// root holds it (the longest such root), else below the home folder
// (canonical paths); empty when neither holds it.
std::vector<BYTE> FileSystemIdList(const std::string& folder);

// The path of a file-system item's absolute list (a drive or a folder on
// the Desktop, then folders and at most one file); nothing for any other
// list or one that fails ValidateIdList.
std::optional<std::string> PathFromIdList(const std::vector<BYTE>& list);

// A new list (the caller frees it with the shell allocator) of the special
// folder `folder`, created when missing. CSIDL_FAVORITES only; E_INVALIDARG
// for any other, E_FAIL when the folder cannot be made or named.
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* out);

} // namespace platform::shell
