#include "search/Wildcard.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace pellidor {
namespace {

struct WildcardCase {
    const char* name;
    const char* pattern;
    bool matches;
};

class WildcardTable : public testing::TestWithParam<WildcardCase> { };

TEST_P(WildcardTable, MatchesAsTheRulesSay)
{
    const WildcardCase& c = GetParam();
    EXPECT_EQ(MatchWildcard(c.name, c.pattern), c.matches) << '"' << c.name << "\" against \"" << c.pattern << '"';
}

INSTANTIATE_TEST_SUITE_P(Wildcard, WildcardTable,
    testing::Values(
        // A typed text matches anywhere, in any case.
        WildcardCase{"xABCy.txt", "*abc*", true}, WildcardCase{"xabcy.txt", "*ABC*", true},
        WildcardCase{"xABy.txt", "*abc*", false},
        // "?" is a letter or a digit, nothing else.
        WildcardCase{"abc", "a?c", true}, WildcardCase{"a1c", "a?c", true}, WildcardCase{"a.c", "a?c", false},
        WildcardCase{"a c", "a?c", false}, WildcardCase{"a_c", "a?c", false}, WildcardCase{"a-c", "a?c", false},
        // Three digits in a row; a letter anywhere.
        WildcardCase{"scan042.jpg", "*%%%*", true}, WildcardCase{"scan04x2.jpg", "*%%%*", false},
        WildcardCase{"2024", "*!*", false}, WildcardCase{"2024b", "*!*", true}, WildcardCase{"a", "!", true},
        WildcardCase{"7", "!", false}, WildcardCase{"7", "%", true}, WildcardCase{"x", "%", false},
        // Whole name against whole pattern.
        WildcardCase{"abc", "ab", false}, WildcardCase{"ab", "abc", false}, WildcardCase{"", "", true},
        WildcardCase{"a", "", false}, WildcardCase{"", "*", true}, WildcardCase{"", "?", false},
        WildcardCase{"", "**", true}, WildcardCase{"abc", "***", true},
        // A later star must take more than its first fit.
        WildcardCase{"aaab", "*ab", true}, WildcardCase{"abcabd", "*ab?", true}, WildcardCase{"aXbYc", "a*b", false},
        WildcardCase{"aXbYc", "a*b*c", true}, WildcardCase{"mississippi", "m*iss*ppi", true},
        WildcardCase{"mississippi", "m*iss*ppx", false},
        // Bytes above 0x7F are neither letters nor digits and have no case.
        WildcardCase{"caf\xC3\xA9", "caf??", false}, WildcardCase{"caf\xC3\xA9", "caf\xC3\xA9", true},
        WildcardCase{"caf\xC3\xA9", "CAF*", true}, WildcardCase{"\xC3\x89", "\xC3\xA9", false}));

// The rule as first worded: at a star, try the rest of the pattern at every
// position of the rest of the name. Exponential, but fine for tiny inputs.
bool ReferenceMatch(const char* name, const char* pattern)
{
    for (;; ++name, ++pattern) {
        const auto p = static_cast<unsigned char>(*pattern);
        const auto n = static_cast<unsigned char>(*name);
        if (p == '\0')
            return n == '\0';
        if (p == '*') {
            for (const char* rest = name;; ++rest) {
                if (ReferenceMatch(rest, pattern + 1))
                    return true;
                if (*rest == '\0')
                    return false;
            }
        }
        if (n == '\0')
            return false;
        const bool letter = n < 0x80 && std::isalpha(n);
        const bool digit = n < 0x80 && std::isdigit(n);
        bool one = false;
        if (p == '?')
            one = letter || digit;
        else if (p == '!')
            one = letter;
        else if (p == '%')
            one = digit;
        else
            one = std::toupper(p) == std::toupper(n);
        if (!one)
            return false;
    }
}

std::vector<std::string> AllStrings(const std::string& alphabet, std::size_t maxLength)
{
    std::vector<std::string> all{""};
    for (std::size_t begin = 0; begin < all.size(); ++begin) {
        if (all[begin].size() == maxLength)
            continue;
        for (const char c : alphabet)
            all.push_back(all[begin] + c);
    }
    return all;
}

TEST(Wildcard, AgreesWithTheTryEveryPositionRuleOnEveryShortInput)
{
    const auto names = AllStrings("aB1.", 4);
    const auto patterns = AllStrings("*?!%b1.", 4);
    int mismatches = 0;
    for (const auto& pattern : patterns) {
        for (const auto& name : names) {
            if (MatchWildcard(name, pattern) != ReferenceMatch(name.c_str(), pattern.c_str()) && ++mismatches < 10)
                ADD_FAILURE() << '"' << name << "\" against \"" << pattern << '"';
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Tried by the try-every-position rule these take longer than the suite's
// timeout (about 10^16 attempts for the first); bounded by name × pattern
// they take microseconds.
TEST(Wildcard, ManyStarsAgainstALongNameFinishAtOnce)
{
    const std::string aaa(200, 'a');
    EXPECT_FALSE(MatchWildcard(aaa, "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchWildcard(aaa + "b", "*a*a*a*a*a*a*a*a*a*a*b"));

    std::string stars;
    for (int i = 0; i < 100; ++i)
        stars += "*?";
    const std::string longName(5000, 'x');
    EXPECT_FALSE(MatchWildcard(longName, stars + "."));
    EXPECT_TRUE(MatchWildcard(longName + ".", stars + "."));
}

} // namespace
} // namespace pellidor
