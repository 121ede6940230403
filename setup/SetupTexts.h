#pragma once
// Setup's own numbered texts. Setup links the platform only, so it carries
// its few strings itself rather than reading the library's table.

#include <string>

namespace setup {

inline constexpr unsigned kSheetCaption = 1; // "%s Setup"
inline constexpr unsigned kFindItemText = 2; // "With %s ..."
inline constexpr unsigned kFindHelpText = 3; // "Search in %s catalog"
inline constexpr unsigned kBrowseTitle = 4; // "Select %s catalog directory"
inline constexpr unsigned kInvalidParameterText = 5; // "Unknown or invalid parameter"
inline constexpr unsigned kCloseText = 6; // "Close"

// The text `id`; empty for an id Setup does not have.
std::string SetupText(unsigned id);
// The text with the product's name in place of its "%s".
std::string FormatProduct(const std::string& pattern);

} // namespace setup
