#include "host/explorer/BrowserMenus.h"

#include "platform/system/Paths.h"
#include "platform/ui/Menu.h"

#include <QDir>

namespace host::explorer {

namespace {

using platform::ui::Menu;
using platform::ui::MenuItem;
using platform::ui::MenuPtr;

constexpr UINT kBrowserPopups[]
    = {FCIDM_MENU_FILE, FCIDM_MENU_EDIT, FCIDM_MENU_VIEW, FCIDM_MENU_FAVORITES, FCIDM_MENU_TOOLS, FCIDM_MENU_HELP};

void AppendPopup(Menu& into, UINT id, std::string text, MenuPtr submenu)
{
    MenuItem item;
    item.id = id;
    item.text = std::move(text);
    item.submenu = std::move(submenu);
    into.AppendItem(std::move(item));
}

void AppendSeparator(Menu& into, UINT id)
{
    MenuItem item;
    item.type = platform::ui::MFT_SEPARATOR;
    item.id = id;
    into.AppendItem(std::move(item));
}

MenuPtr FileMenu()
{
    auto menu = platform::ui::CreatePopupMenu();
    menu->AppendString(kCommandFileDelete, "&Delete");
    menu->AppendString(kCommandFileProperties, "P&roperties");
    AppendSeparator(*menu, 0);
    menu->AppendString(kCommandClose, "&Close");
    return menu;
}

MenuPtr ViewMenu()
{
    auto menu = platform::ui::CreatePopupMenu();
    menu->AppendString(kCommandBack, "Go &Back\tAlt+Left");
    menu->AppendString(kCommandForward, "Go &Forward\tAlt+Right");
    menu->AppendString(kCommandUp, "&Up One Level\tAlt+Up");
    // Views put their view commands before this separator.
    AppendSeparator(*menu, FCIDM_MENU_VIEW_SEP_OPTIONS);
    menu->AppendString(kCommandRefresh, "&Refresh\tF5");
    return menu;
}

MenuPtr FavoritesMenu(const std::vector<std::string>& favorites)
{
    auto menu = platform::ui::CreatePopupMenu();
    if (favorites.empty())
        menu->AppendString(kCommandNoFavorites, "(Empty)", platform::ui::MFS_GRAYED);
    UINT id = kCommandFavoriteFirst;
    for (const std::string& name : favorites)
        menu->AppendString(id++, name);
    return menu;
}

MenuPtr ToolsMenu(const std::vector<FindExtension>& find)
{
    auto findMenu = platform::ui::CreatePopupMenu();
    UINT id = kCommandFindFirst;
    for (const FindExtension& entry : find) {
        if (id > kCommandFindLast)
            break;
        findMenu->AppendString(id++, entry.text);
    }
    auto menu = platform::ui::CreatePopupMenu();
    AppendPopup(*menu, FCIDM_MENU_FIND, "&Find", std::move(findMenu));
    AppendSeparator(*menu, FCIDM_MENU_TOOLS_SEP_GOTO);
    return menu;
}

MenuPtr HelpMenu()
{
    auto menu = platform::ui::CreatePopupMenu();
    menu->AppendString(kCommandAbout, "&About Explorer");
    return menu;
}

} // namespace

void InsertBrowserMenus(Menu& shared, const std::vector<FindExtension>& find, const std::vector<std::string>& favorites)
{
    AppendPopup(shared, FCIDM_MENU_FILE, "&File", FileMenu());
    AppendPopup(shared, FCIDM_MENU_EDIT, "&Edit", platform::ui::CreatePopupMenu());
    AppendPopup(shared, FCIDM_MENU_VIEW, "&View", ViewMenu());
    AppendPopup(shared, FCIDM_MENU_FAVORITES, "F&avorites", FavoritesMenu(favorites));
    AppendPopup(shared, FCIDM_MENU_TOOLS, "&Tools", ToolsMenu(find));
    AppendPopup(shared, FCIDM_MENU_HELP, "&Help", HelpMenu());
}

void RemoveBrowserMenus(Menu& shared)
{
    for (int position = shared.GetItemCount() - 1; position >= 0; --position) {
        const MenuItem* item = shared.GetItem(position);
        for (UINT id : kBrowserPopups) {
            if (item->IsPopup() && item->id == id) {
                shared.RemoveItem(static_cast<UINT>(position), platform::ui::MF_BYPOSITION);
                break;
            }
        }
    }
}

std::vector<std::string> FavoriteNames()
{
    const QDir folder(QString::fromStdString(platform::system::PlatformDataDirectory() + "/Favorites"));
    std::vector<std::string> names;
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        names.push_back(name.toStdString());
    return names;
}

} // namespace host::explorer
