#pragma once
// Showing a menu: a platform menu (data) turned into Qt menus. The Qt side is
// a snapshot; change the menu and build again.

#include "platform/com/Types.h"

#include <functional>

class QMenu;
class QMenuBar;

namespace platform::ui {

class Menu;

// Called with the command id of the item the user chose, or highlighted.
using MenuCommand = std::function<void(UINT id)>;

// Appends the items of `menu` to `into`: texts with their access keys,
// separators, grayed, checked and default (bold) states, pop-ups as submenus.
// Each action carries its command id as its data (an unsigned int).
void FillQMenu(const Menu& menu, QMenu* into, const MenuCommand& chosen, const MenuCommand& highlighted = nullptr);

// Replaces the contents of `bar` with the pop-ups of `menu`; items of the
// top level that are not pop-ups are left out, as a menu bar shows none.
void FillMenuBar(const Menu& menu, QMenuBar* bar, const MenuCommand& chosen, const MenuCommand& highlighted = nullptr);

} // namespace platform::ui
