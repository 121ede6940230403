#include "platform/shell/TypeKey.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

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

// The placeholder for a character outside ASCII. Globs are ASCII: no
// literal character of theirs and no range between two printable ones
// holds it, while "*", "?" and a negated set take it as they would take any
// character outside ASCII that folds to one such character.
constexpr char kOutsideAscii = '\x7f';

// The code point of the UTF-8 sequence at text[i], and its length in `size`;
// none when the bytes there are not well-formed UTF-8.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t i, std::size_t& size)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || i + size > text.size())
        return std::nullopt;
    char32_t code = lead & (0x3F >> (size - 1));
    for (std::size_t k = 1; k < size; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return std::nullopt;
        code = (code << 6) | (byte(k) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[size] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return code;
}

// `name` with every character outside ASCII made the placeholder; none when
// that would change what the globs match: bytes that are not UTF-8, a
// control character, "/", and the characters whose lower case is ASCII or
// longer than one character (the dotted capital I, the Kelvin sign) or that
// a decoder may drop (the byte-order mark).
std::optional<std::string> Flattened(std::string_view name)
{
    std::string flat;
    flat.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F || c == '/')
                return std::nullopt;
            flat += name[i++];
            continue;
        }
        std::size_t size = 0;
        const std::optional<char32_t> code = DecodeUtf8(name, i, size);
        if (!code || *code == 0x130 || *code == 0x212A || *code == 0xFEFF)
            return std::nullopt;
        flat += kOutsideAscii;
        i += size;
    }
    return flat;
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

TypeKeyRules TypeKeyRules::Installed()
{
    std::vector<std::string> contents;
    const QStringList paths
        = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("mime/globs2"));
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {}; // a glob we cannot see could match anything
        contents.push_back(file.readAll().toStdString());
    }
    return FromGlobFiles(contents);
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
    if (IsExtensionGlob(pattern)) {
        extensions_.insert(Lower(pattern.substr(2)));
        return;
    }
    const bool caseSensitive = end != std::string::npos && line.find("cs", end + 1) != std::string::npos;
    otherPatterns_.push_back({caseSensitive ? pattern : Lower(pattern), HasWildcard(pattern), caseSensitive});
}

std::optional<std::string> TypeKeyRules::KeyOf(const std::string& name) const
{
    if (!usable_)
        return std::nullopt;
    const std::optional<std::string> flat = Flattened(name);
    if (!flat)
        return std::nullopt;
    const std::string lower = Lower(*flat);
    std::string matched;
    for (std::size_t index = 0; index < otherPatterns_.size(); ++index) {
        const OtherPattern& pattern = otherPatterns_[index];
        const std::string& text = pattern.caseSensitive ? *flat : lower;
        if (pattern.wildcard ? MatchGlob(pattern.text, text) : pattern.text == text)
            matched += "/" + std::to_string(index);
    }
    // Longer endings first: the first one named is the longest. An ending
    // never holds the placeholder, so it is the name's own. The database's
    // "*" takes at least one character: ".txt" alone is not a text file.
    const std::string_view view = lower;
    for (std::size_t dot = view.find('.', 1); dot != std::string_view::npos; dot = view.find('.', dot + 1)) {
        if (extensions_.find(view.substr(dot + 1)) != extensions_.end())
            return flat->substr(dot) + matched;
    }
    return matched;
}

} // namespace platform::shell
