#include "platform/shell/TypeKey.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string_view>

namespace platform::shell {

namespace {

bool HasWildcard(std::string_view text)
{
    return text.find_first_of("*?[") != std::string::npos;
}

// One glob element other than "*" at pattern[p] against `c`: whether it
// matches, and in `next` where the pattern goes on. A "[" without its "]"
// stands for itself.
bool MatchesElement(std::string_view pattern, std::size_t p, char c, std::size_t& next)
{
    if (pattern[p] == '?') {
        next = p + 1;
        return true;
    }
    if (pattern[p] == '[') {
        std::size_t i = p + 1;
        const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
        if (negated)
            ++i;
        bool found = false;
        for (bool first = true; i < pattern.size() && (first || pattern[i] != ']'); first = false) {
            const char low = pattern[i];
            char high = low;
            if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
                high = pattern[i + 2];
                i += 3;
            } else {
                ++i;
            }
            found = found || (low <= c && c <= high);
        }
        if (i < pattern.size()) {
            next = i + 1;
            return found != negated;
        }
    }
    next = p + 1;
    return pattern[p] == c;
}

// Glob matching with "*", "?" and bracket sets (ranges, "!" or "^" to
// negate) over lower-case ASCII. Every element but "*" takes one character,
// so one resume point after the latest star is enough.
bool MatchGlob(std::string_view pattern, std::string_view name)
{
    constexpr std::size_t kNoStar = std::string_view::npos;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t resumePattern = kNoStar;
    std::size_t resumeName = 0;
    while (n < name.size()) {
        std::size_t next = 0;
        if (p < pattern.size() && pattern[p] == '*') {
            resumePattern = ++p;
            resumeName = n;
        } else if (p < pattern.size() && MatchesElement(pattern, p, name[n], next)) {
            p = next;
            ++n;
        } else if (resumePattern == kNoStar) {
            return false;
        } else {
            p = resumePattern;
            n = ++resumeName;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

bool IsExtensionGlob(std::string_view pattern)
{
    return pattern.size() > 2 && pattern.substr(0, 2) == "*." && !HasWildcard(pattern.substr(2));
}

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
    if (pattern.empty())
        return;
    if (IsExtensionGlob(pattern))
        extensions_.insert(Lower(pattern.substr(2)));
    else
        otherPatterns_.push_back({Lower(pattern), HasWildcard(pattern)});
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
    for (const OtherPattern& pattern : otherPatterns_) {
        if (pattern.wildcard ? MatchGlob(pattern.text, lower) : pattern.text == lower)
            return std::nullopt;
    }
    // Longer endings first: the first one named is the longest.
    const std::string_view view = lower;
    for (std::size_t dot = view.find('.'); dot != std::string_view::npos; dot = view.find('.', dot + 1)) {
        if (extensions_.find(view.substr(dot + 1)) != extensions_.end())
            return name.substr(dot);
    }
    return std::string();
}

} // namespace platform::shell
