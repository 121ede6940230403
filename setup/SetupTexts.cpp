#include "setup/SetupTexts.h"

namespace setup {

std::string SetupText(unsigned id)
{
    switch (id) {
    case kFindItemText:
        return "With %s ...";
    case kFindHelpText:
        return "Search in %s catalog";
    case kInvalidParameterText:
        return "Unknown or invalid parameter";
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
