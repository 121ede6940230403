#include "setup/SetupTexts.h"

namespace setup {

std::string SetupText(unsigned id)
{
    switch (id) {
    case kSheetCaption:
        return "%s Setup";
    case kFindItemText:
        return "With %s ...";
    case kFindHelpText:
        return "Search in %s catalog";
    case kBrowseTitle:
        return "Select %s catalog directory";
    case kInvalidParameterText:
        return "Unknown or invalid parameter";
    case kCloseText:
        return "Close";
    default:
        return {};
    }
}

std::string FormatProduct(const std::string& pattern)
{
    std::string text = pattern;
    const auto marker = text.find("%s");
    if (marker != std::string::npos)
        text.replace(marker, 2, "Pellidor");
    return text;
}

} // namespace setup
