#pragma once
// Menus: the window system's menu handle as plain data. A menu is an ordered
// list of items (text, command id, type, state, and for a popup the submenu
// it owns); views turn a menu into a QMenu only when they show it. A menu
// owns its submenus, so destroying a menu destroys its whole tree.
//
// Menus of a module are data too: "menus.txt" in its folder of the compiled
// resources (platform/ui/Resources.h; format in resources/menus.txt), loaded
// by resource id.

#include "platform/com/Types.h"
#include "platform/ui/Resources.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

namespace platform::ui {

// Item types.
constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_SEPARATOR = 0x0800;
// Item states; a default item is drawn bold and is the double-click command.
constexpr UINT MFS_ENABLED = 0x0000;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = MFS_GRAYED;
constexpr UINT MFS_CHECKED = 0x0008;
constexpr UINT MFS_DEFAULT = 0x1000;
// How an item is named in a call: by its command id or by its position.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
// Menu-item lookups that find nothing.
constexpr UINT kNoItem = 0xFFFFFFFF;

class Menu;
using MenuPtr = std::unique_ptr<Menu>;

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = MFS_ENABLED;
    UINT id = 0;
    std::string text; // with "&" before the access key
    MenuPtr submenu; // a popup item when set
    // The marks drawn beside the item when it is checked and when it is
    // not; a null image draws the standard check mark (or nothing). The
    // menu keeps its own copies, so they live as long as the item.
    QImage checkedMark{};
    QImage uncheckedMark{};

    bool IsSeparator() const { return (type & MFT_SEPARATOR) != 0; }
    bool IsPopup() const { return submenu != nullptr; }
};

class Menu {
public:
    Menu() = default;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    int GetItemCount() const { return static_cast<int>(items_.size()); }
    // The item at `position`, or null.
    const MenuItem* GetItem(int position) const;
    MenuItem* GetItem(int position);
    // The item with command id `id`, searched depth-first through the
    // submenus too; null when there is none.
    const MenuItem* FindItem(UINT id) const;
    MenuItem* FindItem(UINT id);
    // The command id at `position`; kNoItem for a popup or a bad position.
    UINT GetItemID(int position) const;
    Menu* GetSubMenu(int position) const;
    // The submenu of the popup item whose own id is `id` (a browser's
    // FCIDM_MENU_* pop-ups), searched depth-first; null when there is none.
    Menu* FindPopup(UINT id) const;

    // Inserts before the item at `position` (by position) or before the
    // item with command id `position` (by command); a position at or past
    // the end appends. False when a named command does not exist.
    bool InsertItem(UINT position, UINT flags, MenuItem item);
    void AppendItem(MenuItem item);
    void AppendString(UINT id, std::string text, UINT state = MFS_ENABLED);
    void AppendSeparator();
    void AppendPopup(std::string text, MenuPtr submenu);
    bool RemoveItem(UINT item, UINT flags);

    // One default item per menu: setting one clears the others. kNoItem
    // clears them all. False when the item does not exist.
    bool SetDefaultItem(UINT item, bool byPosition);
    // The default item's command id (or position); kNoItem when none.
    UINT GetDefaultItem(bool byPosition) const;
    // Replaces the grayed or checked part of an item's state.
    bool EnableItem(UINT item, UINT flags, bool enabled);
    bool CheckItem(UINT item, UINT flags, bool checked);
    // SetMenuItemBitmaps: the marks of an item. False when it does not exist.
    bool SetItemBitmaps(UINT item, UINT flags, const QImage& unchecked, const QImage& checked);

    // A deep copy (submenus included).
    MenuPtr Clone() const;

private:
    // Index of the item named by `item` in this menu (not in submenus).
    int IndexOf(UINT item, UINT flags) const;
    MenuItem* Resolve(UINT item, UINT flags);

    std::vector<MenuItem> items_;
};

MenuPtr CreatePopupMenu();

// The menu with resource id `id` from `module`'s menus; null when they hold
// no such menu. Each module's file is parsed once per process.
MenuPtr LoadMenu(const ResourceModule& module, UINT id);

// Parses menu resource text (the format of resources/menus.txt) and answers
// the menu with `id`; null when the text holds none or does not parse.
// Exposed so that a malformed resource can be tested.
MenuPtr ParseMenu(const std::string& text, UINT id);

} // namespace platform::ui
