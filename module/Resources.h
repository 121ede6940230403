#pragma once
// The product's own resources: its string table, menus and artwork, compiled
// in from resources/ under ":/pellidor/". Every product folder asks for its
// texts and menus here, so a host or Setup with tables of their own never
// answers for the library, nor the library for them.

#include "platform/com/Types.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Resources.h"

#include <string>

namespace pellidor {

inline constexpr platform::ui::ResourceModule kProductResources{"pellidor"};

// The product's string `id`; empty when the table has none.
std::string LoadString(UINT id);
bool HasString(UINT id);
// The product's menu `id`; null when there is none.
platform::ui::MenuPtr LoadMenu(UINT id);

} // namespace pellidor
