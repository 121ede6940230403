#include "items/TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>

using namespace pellidor;

struct NumberCase {
    std::int64_t value;
    const char* text;
};

class GroupedNumber : public testing::TestWithParam<NumberCase> { };

TEST_P(GroupedNumber, PutsADotBetweenGroupsOfThree)
{
    EXPECT_EQ(FormatGroupedNumber(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, GroupedNumber,
    testing::Values(NumberCase{0, "0"}, NumberCase{999, "999"}, NumberCase{1000, "1.000"},
        NumberCase{1234567, "1.234.567"}, NumberCase{4194304, "4.194.304"},
        NumberCase{std::numeric_limits<std::int64_t>::max(), "9.223.372.036.854.775.807"},
        // The sign is never followed by a separator.
        NumberCase{-123, "-123"}, NumberCase{-1234, "-1.234"},
        NumberCase{std::numeric_limits<std::int64_t>::min(), "-9.223.372.036.854.775.808"}));

class ByteSize : public testing::TestWithParam<NumberCase> { };

TEST_P(ByteSize, RoundsKilobytesUpThenSteps)
{
    EXPECT_EQ(FormatByteSize(GetParam().value), GetParam().text);
}

// 1 073 741 825 bytes are 1 048 577 KB, whose whole megabytes are 1024: the
// rule gives "1024 MB", not "1 GB".
INSTANTIATE_TEST_SUITE_P(Values, ByteSize,
    testing::Values(NumberCase{0, "0 KB"}, NumberCase{1, "1 KB"}, NumberCase{1024, "1 KB"},
        NumberCase{1048576, "1024 KB"}, NumberCase{1048577, "1 MB"}, NumberCase{1073741824, "1024 MB"},
        NumberCase{1073741825, "1024 MB"}, NumberCase{1074789376, "1024 MB"}, NumberCase{1074789377, "1 GB"},
        NumberCase{-1, "0 KB"}, NumberCase{-2048, "-1 KB"},
        NumberCase{std::numeric_limits<std::int64_t>::max(), "8589934592 GB"}));

TEST(TextHelpers, KilobytesColumnRoundsUpAndGroups)
{
    EXPECT_EQ(FormatKilobytes(0), "0 KB");
    EXPECT_EQ(FormatKilobytes(1025), "2 KB");
    EXPECT_EQ(FormatKilobytes(1048576), "1.024 KB");
    EXPECT_EQ(FormatKilobytes(0xFFFFFFFF), "4.194.304 KB");
}

TEST(TextHelpers, DateTextsUseBothStringFormsInLocalTime)
{
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(FormatDateText(0), "01.01.70 00:00");
    EXPECT_EQ(FormatDateText(1709647620), "05.03.24 14:07");
    EXPECT_EQ(FormatDateText(1709647620, kDateFormatString), "05.03.24");
    EXPECT_EQ(FormatDateText(std::numeric_limits<std::int32_t>::max()), "19.01.38 03:14");
    setenv("TZ", "CET-1", 1);
    tzset();
    EXPECT_EQ(FormatDateText(1709647620), "05.03.24 15:07");
    EXPECT_EQ(FormatDateText(-1), "");
    EXPECT_EQ(FormatDateText(std::numeric_limits<std::int32_t>::min()), "");
    unsetenv("TZ");
    tzset();
}

TEST(TextHelpers, AttributeLettersComeInReadOnlyHiddenSystemArchiveOrder)
{
    EXPECT_EQ(AttributeLetters(0x01 | 0x02 | 0x04 | 0x20), "RHSA");
    EXPECT_EQ(AttributeLetters(0x20 | 0x01), "RA");
    EXPECT_EQ(AttributeLetters(0x04 | 0x02), "HS");
    EXPECT_EQ(AttributeLetters(0x10 | 0x80), "");
}

TEST(TextHelpers, SortKeysAreFixedWidthUpperCaseHex)
{
    EXPECT_EQ(SortKey32(0), "00000000");
    EXPECT_EQ(SortKey32(0xABCDEF), "00ABCDEF");
    EXPECT_EQ(SortKey32(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(SortKey64(0x1234ABCDull), "000000001234ABCD");
    EXPECT_EQ(SortKey64(~0ull), "FFFFFFFFFFFFFFFF");
    EXPECT_LT(SortKey32(0xFFFF), SortKey32(0x10000));
}

TEST(TextHelpers, TrimRightRemovesTrailingSpacesOnly)
{
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
    EXPECT_EQ(TrimRight("    "), "");
    EXPECT_EQ(TrimRight(""), "");
}
