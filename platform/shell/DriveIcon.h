#pragma once
// The icon of a drive root, by its drive type: the icon theme's optical,
// removable-media or hard-disk icon. Read from the theme's files as images,
// so it may be asked from any thread and needs no GUI application.

#include "platform/ui/Icon.h"

#include <string>

namespace platform::shell {

// `size` is 32 (large) or 16 (small). False, with `out` untouched, when no
// icon can be had (no such root, no theme installed).
bool GetDriveIcon(const std::string& root, int size, platform::ui::IconImage& out);

} // namespace platform::shell
