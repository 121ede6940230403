#include "platform/ui/Strings.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace platform::ui;

namespace {

constexpr ResourceModule kFirst{"first"};
constexpr ResourceModule kSecond{"second"};
constexpr ResourceModule kNone{"no-such-module"};

} // namespace

TEST(Strings, EachModuleFindsItsOwnTable)
{
    EXPECT_EQ(LoadString(kFirst, 1), "Text of the first module.");
    EXPECT_EQ(LoadString(kSecond, 1), "Text of the second module.");
    EXPECT_TRUE(HasString(kFirst, 2));
    EXPECT_FALSE(HasString(kSecond, 2));
    EXPECT_EQ(LoadString(kSecond, 2), "");
    EXPECT_FALSE(HasString(kFirst, 0));
    EXPECT_EQ(LoadString(kFirst, 4000000), "");
}

TEST(Strings, EscapesAreReadAndLinesWithoutATabAreNoStrings)
{
    EXPECT_EQ(LoadString(kFirst, 2), "Tab\there, line\nend, backslash \\ and \\x kept");
    EXPECT_FALSE(HasString(kFirst, 3));
}

TEST(Strings, AModuleWithoutATableHasNoStrings)
{
    EXPECT_FALSE(HasString(kNone, 1));
    EXPECT_EQ(LoadString(kNone, 1), "");
}

struct InsertCase {
    const char* pattern;
    std::vector<std::string> inserts;
    const char* expected;
};

void PrintTo(const InsertCase& value, std::ostream* out)
{
    *out << '"' << value.pattern << '"';
}

class FormatInsertsTable : public testing::TestWithParam<InsertCase> { };

TEST_P(FormatInsertsTable, ReplacesMarkersAsTheSystemDoes)
{
    EXPECT_EQ(FormatInserts(GetParam().pattern, GetParam().inserts), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Patterns, FormatInsertsTable,
    testing::Values(InsertCase{"Cannot open %1.", {"x.pld"}, "Cannot open x.pld."},
        InsertCase{"%2 before %1", {"a", "b"}, "b before a"},
        InsertCase{"%1!s! has %2!d! files", {"CD", "12"}, "CD has 12 files"},
        InsertCase{"100%% sure %1", {"now"}, "100% sure now"},
        InsertCase{"missing %3 stays", {"a"}, "missing %3 stays"},
        InsertCase{"missing %2!s! stays", {"a"}, "missing %2!s! stays"},
        InsertCase{"%10 is the tenth", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}, "ten is the tenth"},
        InsertCase{"%123 has two digits", {}, "%123 has two digits"},
        InsertCase{"%0 and %x are not markers", {"a"}, "%0 and %x are not markers"},
        InsertCase{"ends with %", {}, "ends with %"}, InsertCase{"%1%1", {"ab"}, "abab"},
        InsertCase{"inserts are not rescanned: %1", {"%1"}, "inserts are not rescanned: %1"}),
    [](const testing::TestParamInfo<InsertCase>& param) { return "Case" + std::to_string(param.index); });
