#pragma once
// The file common dialogs: Save As, with filters in the window system's
// form, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||", and the choice of
// a directory.

#include "platform/com/Types.h"

#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

namespace platform::ui {

// Modal over `owner`. The chosen path, with `defaultExtension` (no dot)
// added to a name that has none; nothing for Cancel.
std::optional<std::string> GetSaveFileName(HWND owner, std::string_view filter, std::string_view defaultExtension);

// Modal over `owner`, titled `title`, opened at `startDirectory` (or the
// nearest folder above it that exists). The chosen directory, which exists,
// as the dialog answers it; nothing for Cancel.
std::optional<std::string> GetExistingDirectory(HWND owner, std::string_view title, const std::string& startDirectory);

// `filter` as the dialog's name filters ("Text Files (*.txt)", "All Files (*)").
QStringList QtFileFilters(std::string_view filter);

} // namespace platform::ui
