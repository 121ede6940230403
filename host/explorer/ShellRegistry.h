#pragma once
// What the registry tells the explorer about extensions: the junctions of the
// namespace, the drives' context-menu handlers and the Find menu's entries.
// Setup writes these keys; the explorer only reads them.

#include "platform/com/Guid.h"
#include "platform/shell/ShellKeys.h"

#include <string>
#include <vector>

namespace host::explorer {

using platform::shell::kDesktopNamespaceKey;
using platform::shell::kDriveKey;
using platform::shell::kDriveMenuHandlersKey;
using platform::shell::kFindExtensionsKey;
using platform::shell::kMyComputerNamespaceKey;

enum class NamespacePlace { Desktop, MyComputer };

struct Junction {
    CLSID clsid;
    std::string name; // the class key's default value, else the CLSID's text
};

// The junctions listed under the place's Namespace key (each subkey named by
// its CLSID), in registry order; subkeys that are no CLSID are skipped.
std::vector<Junction> NamespaceJunctions(NamespacePlace place);

// The handlers under HKCR Drive\shellex\ContextMenuHandlers: a subkey named
// by a CLSID, or whose default value is one.
std::vector<CLSID> DriveMenuHandlers();

struct FindExtension {
    CLSID clsid;
    std::string text; // the "0" key's default value
    std::string icon; // its DefaultIcon key's default value
    std::string helpText; // its HelpText key's default value
};

// One entry per subkey of FindExtensions\Static whose default value is a
// CLSID and whose "0" key has a text.
std::vector<FindExtension> FindExtensions();

} // namespace host::explorer
