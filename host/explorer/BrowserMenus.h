#pragma once
// The explorer's own menus: the pop-ups it puts into a shared menu for a view
// (File, Edit, View, Favorites, Tools, Help with their FCIDM_MENU_* ids), its
// command ids, and the Find entries of the Tools menu.

#include "host/explorer/ShellRegistry.h"
#include "platform/com/ShellBrowserTypes.h"
#include "platform/com/Types.h"
#include "platform/ui/Menu.h"

#include <string>
#include <vector>

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

// One entry of the Favorites folder: a sub-folder with its own entries, a
// link (shown by its name without ".lnk") or any other file (shown whole).
struct FavoriteEntry {
    std::string text;
    std::string path;
    bool folder = false;
    std::vector<FavoriteEntry> children;
};

// Appends the six pop-ups to `shared`, with the Find entries in Tools and the
// Favorites folder's entries in Favorites.
void InsertBrowserMenus(
    platform::ui::Menu& shared, const std::vector<FindExtension>& find, const std::vector<FavoriteEntry>& favorites);
// The Favorites pop-up alone: sub-folders as pop-ups, then the files; the
// n-th file of FavoriteFiles has the command kCommandFavoriteFirst + n.
platform::ui::MenuPtr FavoritesMenu(const std::vector<FavoriteEntry>& favorites);

// Removes the browser's pop-ups from `shared` again (a view's own items in
// them go with them).
void RemoveBrowserMenus(platform::ui::Menu& shared);

// The Favorites folder's entries, read now: in each folder the sub-folders
// first, then the files, each group by name. As many files as the menu has
// ids for, and sub-folders down to a depth of eight.
std::vector<FavoriteEntry> ReadFavorites();
// The paths of the files among `favorites`, in menu order.
std::vector<std::string> FavoriteFiles(const std::vector<FavoriteEntry>& favorites);
// Whether the file at `path` is a link (its name ends in ".lnk", any case).
bool IsLinkFile(const std::string& path);

} // namespace host::explorer
