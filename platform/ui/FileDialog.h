#pragma once
// The file common dialog: Save As, with filters in the window system's form,
// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||".

#include "platform/com/Types.h"

#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

namespace platform::ui {

// Modal over `owner`. The chosen path, with `defaultExtension` (no dot)
// added to a name that has none; nothing for Cancel.
std::optional<std::string> GetSaveFileName(HWND owner, std::string_view filter, std::string_view defaultExtension);

// `filter` as the dialog's name filters ("Text Files (*.txt)", "All Files (*)").
QStringList QtFileFilters(std::string_view filter);

} // namespace platform::ui
