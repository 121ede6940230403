#pragma once
// CFavorites: adds an item to the user's Favorites folder. The user picks a
// name and a folder in the platform's add-to-favorites dialog; a shell link
// to the item's absolute identifier list is saved there, always with the
// extension "lnk". Made on the stack for one call.

#include "platform/com/ShellTypes.h"
#include "platform/com/Types.h"

#include <string>

namespace pellidor {

class CFavorites {
public:
    // False when the user cancels or anything fails; nothing is shown to the
    // user then, and a cancelled dialog writes nothing.
    bool AddToFavorites(HWND owner, LPCITEMIDLIST absolute, const std::string& title);
};

} // namespace pellidor
