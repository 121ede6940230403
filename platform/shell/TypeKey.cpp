#include "platform/shell/TypeKey.h"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace platform::shell {

namespace {

bool HasWildcard(const std::string& text)
{
    return text.find_first_of("*?[") != std::string::npos;
}

// "*.ext" with no wildcard in ext: the database matches it against the name's
// end only.
bool IsExtensionGlob(const std::string& pattern)
{
    return pattern.size() > 2 && pattern.compare(0, 2, "*.") == 0 && !HasWildcard(pattern.substr(2));
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

TypeKeyRules TypeKeyRules::FromGlobFiles(const std::vector<std::string>& contents)
{
    TypeKeyRules rules;
    for (const std::string& content : contents) {
        std::istringstream lines(content);
        std::string line;
        while (std::getline(lines, line))
            rules.AddGlobLine(line);
    }
    rules.usable_ = !contents.empty();
    return rules;
}

void TypeKeyRules::AddGlobLine(const std::string& line)
{
    if (line.empty() || line.front() == '#')
        return;
    // weight:type:pattern[:flags]; a pattern may itself hold ":" only where
    // flags follow, so the third field ends at the next ":" or the line.
    const std::size_t first = line.find(':');
    const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos)
        return;
    const std::size_t end = line.find(':', second + 1);
    const std::string pattern = line.substr(second + 1, end == std::string::npos ? end : end - second - 1);
    if (!pattern.empty() && !IsExtensionGlob(pattern))
        otherPatterns_.push_back(Lower(pattern));
}

std::optional<std::string> TypeKeyRules::KeyOf(const std::string& name) const
{
    if (!usable_)
        return std::nullopt;
    const bool plain
        = std::all_of(name.begin(), name.end(), [](unsigned char c) { return c >= 0x20 && c < 0x80 && c != '/'; });
    if (!plain)
        return std::nullopt;
    const std::string lower = Lower(name);
    for (const std::string& pattern : otherPatterns_) {
        const bool matches
            = HasWildcard(pattern) ? ::fnmatch(pattern.c_str(), lower.c_str(), 0) == 0 : pattern == lower;
        if (matches)
            return std::nullopt;
    }
    const std::size_t dot = name.find('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

} // namespace platform::shell
