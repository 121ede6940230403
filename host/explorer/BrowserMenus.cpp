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

constexpr int kFavoritesDepth = 8;
constexpr std::size_t kFavoriteFilesMax = kCommandFindFirst - kCommandFavoriteFirst;

void AppendFavorites(Menu& into, const std::vector<FavoriteEntry>& entries, UINT& nextId)
{
    if (entries.empty())
        into.AppendString(kCommandNoFavorites, "(Empty)", platform::ui::MFS_GRAYED);
    for (const FavoriteEntry& entry : entries) {
        if (entry.folder) {
            auto sub = platform::ui::CreatePopupMenu();
            AppendFavorites(*sub, entry.children, nextId);
            AppendPopup(into, 0, entry.text, std::move(sub));
        } else {
            into.AppendString(nextId++, entry.text);
        }
    }
}

std::vector<FavoriteEntry> ReadFolder(const QString& path, int depth, std::size_t& files)
{
    const QDir dir(path);
    const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
    std::vector<FavoriteEntry> entries;
    if (depth < kFavoritesDepth) {
        // Links to folders are not followed: one could lead back up.
        for (const QFileInfo& info : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, order)) {
            FavoriteEntry entry;
            entry.text = info.fileName().toStdString();
            entry.path = info.filePath().toStdString();
            entry.folder = true;
            entry.children = ReadFolder(info.filePath(), depth + 1, files);
            entries.push_back(std::move(entry));
        }
    }
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files, order)) {
        if (files == kFavoriteFilesMax)
            break;
        ++files;
        FavoriteEntry entry;
        entry.path = info.filePath().toStdString();
        const QString name = info.fileName();
        const bool link = IsLinkFile(entry.path) && name.size() > 4;
        entry.text = (link ? name.chopped(4) : name).toStdString();
        entries.push_back(std::move(entry));
    }
    return entries;
}

void CollectFiles(const std::vector<FavoriteEntry>& entries, std::vector<std::string>& into)
{
    for (const FavoriteEntry& entry : entries) {
        if (entry.folder)
            CollectFiles(entry.children, into);
        else
            into.push_back(entry.path);
    }
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

MenuPtr FavoritesMenu(const std::vector<FavoriteEntry>& favorites)
{
    auto menu = platform::ui::CreatePopupMenu();
    UINT id = kCommandFavoriteFirst;
    AppendFavorites(*menu, favorites, id);
    return menu;
}

void InsertBrowserMenus(
    Menu& shared, const std::vector<FindExtension>& find, const std::vector<FavoriteEntry>& favorites)
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

std::vector<FavoriteEntry> ReadFavorites()
{
    std::size_t files = 0;
    return ReadFolder(QString::fromStdString(platform::system::FavoritesDirectory()), 0, files);
}

std::vector<std::string> FavoriteFiles(const std::vector<FavoriteEntry>& favorites)
{
    std::vector<std::string> files;
    CollectFiles(favorites, files);
    return files;
}

bool IsLinkFile(const std::string& path)
{
    return QString::fromStdString(path).endsWith(QStringLiteral(".lnk"), Qt::CaseInsensitive);
}

} // namespace host::explorer
