#include "search/Wildcard.h"

namespace pellidor {

namespace {

bool IsAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsAsciiDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

unsigned char AsciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// One pattern character other than "*" against one name character.
bool MatchesOne(unsigned char patternChar, unsigned char nameChar)
{
    switch (patternChar) {
    case '?':
        return IsAsciiLetter(nameChar) || IsAsciiDigit(nameChar);
    case '!':
        return IsAsciiLetter(nameChar);
    case '%':
        return IsAsciiDigit(nameChar);
    default:
        return AsciiUpper(patternChar) == AsciiUpper(nameChar);
    }
}

// The first position from `from` where `patternChar` can match: a plain
// character is looked for directly rather than tried at every position.
std::size_t NextCandidate(std::string_view name, std::size_t from, unsigned char patternChar)
{
    if (patternChar == '?' || patternChar == '!' || patternChar == '%')
        return from;
    const unsigned char wanted = AsciiUpper(patternChar);
    while (from < name.size() && AsciiUpper(static_cast<unsigned char>(name[from])) != wanted)
        ++from;
    return from;
}

} // namespace

// Every pattern character but "*" consumes exactly one name character, so
// when the text after a star fails, only the most recent star needs to take
// one more character: an earlier star taking more can only reach positions
// the latest star reaches too. The walk therefore keeps one resume point
// instead of re-trying the rest of the pattern at every position of every
// star, which gives the same answers in O(name × pattern) steps.
bool MatchWildcard(std::string_view name, std::string_view pattern)
{
    constexpr std::size_t kNoStar = std::string_view::npos;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t resumePattern = kNoStar; // just after the latest star
    std::size_t resumeName = 0; // where that star's run ends now

    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            resumePattern = ++p;
            resumeName = n;
            if (p == pattern.size())
                return true; // a last star takes the rest, whatever it is
            continue;
        }
        if (p < pattern.size()
            && MatchesOne(static_cast<unsigned char>(pattern[p]), static_cast<unsigned char>(name[n]))) {
            ++p;
            ++n;
            continue;
        }
        if (resumePattern == kNoStar)
            return false;
        p = resumePattern;
        n = NextCandidate(name, ++resumeName, static_cast<unsigned char>(pattern[p]));
        resumeName = n;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace pellidor
