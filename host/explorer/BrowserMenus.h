#pragma once
// The explorer's own menus: the pop-ups it puts into a shared menu for a view
// (File, Edit, View, Favorites, Tools, Help with their FCIDM_MENU_* ids), its
// command ids, and the Find entries of the Tools menu.

#include "host/explorer/ShellRegistry.h"
#include "platform/com/ShellBrowserTypes.h"
#include "platform/com/Types.h"

#include <string>
#include <vector>

namespace platform::ui {
class Menu;
}

namespace host::explorer {

// The browser's commands, in its own id range.
enum BrowserCommand : UINT {
    kCommandClose = FCIDM_BROWSERFIRST + 1,
    kCommandBack,
    kCommandForward,
    kCommandUp,
    kCommandRefresh,
    kCommandAbout,
    kCommandNoFavorites,
    // Favorites entries follow from here...
    kCommandFavoriteFirst = FCIDM_BROWSERFIRST + 0x100,
    // ...and Find entries from here, one per FindExtensions entry.
    kCommandFindFirst = FCIDM_BROWSERFIRST + 0x200,
    kCommandFindLast = FCIDM_BROWSERFIRST + 0x2FF,
};

// The shell view's own commands that the File menu offers for the selected
// items: they go to the window the view named, which carries them out.
enum ViewFileCommand : UINT {
    kCommandFileDelete = 0x7011,
    kCommandFileProperties = 0x7013,
};

// Appends the six pop-ups to `shared`, with the Find entries in Tools and the
// Favorites folder's entries (names only) in Favorites.
void InsertBrowserMenus(
    platform::ui::Menu& shared, const std::vector<FindExtension>& find, const std::vector<std::string>& favorites);

// Removes the browser's pop-ups from `shared` again (a view's own items in
// them go with them).
void RemoveBrowserMenus(platform::ui::Menu& shared);

// The names in the Favorites folder, sorted.
std::vector<std::string> FavoriteNames();

} // namespace host::explorer
