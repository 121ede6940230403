#include "search/SearchEngine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace pellidor {
namespace {

// A fixed "now" that also counts how often it is read.
constexpr std::int64_t kNow = 1700000000; // 2023-11-14 22:13:20 UTC
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;
int gClockReads = 0;

std::int64_t FixedClock()
{
    ++gClockReads;
    return kNow;
}

CatRecord FileRecord(DWORD size = 0, std::int32_t time = static_cast<std::int32_t>(kNow))
{
    CatRecord record;
    record.Attributes = kAttrArchive;
    record.CreationTime = time;
    record.LastAccessTime = time;
    record.LastWriteTime = time;
    record.Size = size;
    return record;
}

class SearchCriteriaTest : public testing::Test {
protected:
    void SetUp() override { gClockReads = 0; }

    // The date test on, with `range`, on the last-write time.
    SearchCriteria DateCriteria(int range)
    {
        SearchCriteria criteria(FixedClock);
        criteria.DateFilter = 1;
        criteria.DateRange = range;
        return criteria;
    }
    bool DatePasses(const SearchCriteria& criteria, std::int32_t time)
    {
        return PassesDateTest(criteria, FileRecord(0, time), FixedClock);
    }
};

TEST_F(SearchCriteriaTest, FreshCriteriaTestNothingAndRangeTheLastFourWeeks)
{
    const SearchCriteria criteria(FixedClock);
    EXPECT_EQ(criteria.ToDate, kNow);
    EXPECT_EQ(criteria.FromDate, kNow - 28 * kDay);
    const CatRecord unrecorded = FileRecord(0, kNoTime);
    EXPECT_TRUE(MatchesRecord(criteria, "anything", unrecorded, FixedClock));
    EXPECT_TRUE(criteria.IncludeSubfolders);
    EXPECT_EQ(criteria.Days, 1);
    EXPECT_EQ(criteria.Months, 1);
}

TEST_F(SearchCriteriaTest, TypedTextMatchesAnywhereAndEmptyTextMatchesEverything)
{
    SearchCriteria criteria(FixedClock);
    EXPECT_TRUE(PassesNameTest(criteria, ""));
    EXPECT_TRUE(PassesNameTest(criteria, ".hidden"));
    criteria.NamePattern = MakeNamePattern("abc");
    EXPECT_EQ(criteria.NamePattern, "*abc*");
    EXPECT_TRUE(PassesNameTest(criteria, "xABCy.txt"));
    EXPECT_FALSE(PassesNameTest(criteria, "xAB.txt"));
    EXPECT_EQ(MakeNamePattern(""), "");
}

TEST_F(SearchCriteriaTest, UnrecordedTimeNeverPassesAnActiveDateTest)
{
    for (int range : {kDateBetween, kDateDays, kDateMonths}) {
        for (int kind : {kDateChanged, kDateCreated, kDateAccessed}) {
            SearchCriteria criteria = DateCriteria(range);
            criteria.DateKind = kind;
            criteria.FromDate = INT32_MIN;
            criteria.ToDate = INT32_MAX;
            criteria.Days = 999;
            criteria.Months = 999;
            CatRecord record = FileRecord(0, static_cast<std::int32_t>(kNow));
            (kind == kDateChanged          ? record.LastWriteTime
                    : kind == kDateCreated ? record.CreationTime
                                           : record.LastAccessTime)
                = kNoTime;
            EXPECT_FALSE(PassesDateTest(criteria, record, FixedClock)) << "range " << range << " kind " << kind;
        }
    }
}

TEST_F(SearchCriteriaTest, DateKindChoosesWhichTimeIsTested)
{
    SearchCriteria criteria = DateCriteria(kDateDays);
    CatRecord record = FileRecord();
    record.LastWriteTime = static_cast<std::int32_t>(kNow - 100 * kDay);
    record.CreationTime = static_cast<std::int32_t>(kNow - 200 * kDay);
    record.LastAccessTime = static_cast<std::int32_t>(kNow);
    criteria.Days = 150;
    criteria.DateKind = kDateChanged;
    EXPECT_TRUE(PassesDateTest(criteria, record, FixedClock));
    criteria.DateKind = kDateCreated;
    EXPECT_FALSE(PassesDateTest(criteria, record, FixedClock));
    criteria.DateKind = kDateAccessed;
    criteria.Days = 1;
    EXPECT_TRUE(PassesDateTest(criteria, record, FixedClock));
}

TEST_F(SearchCriteriaTest, PreviousDayCountsWholeDaysOfAge)
{
    SearchCriteria criteria = DateCriteria(kDateDays);
    criteria.Days = 1;
    EXPECT_TRUE(DatePasses(criteria, static_cast<std::int32_t>(kNow - 47 * kHour)));
    EXPECT_TRUE(DatePasses(criteria, static_cast<std::int32_t>(kNow - 2 * kDay + 1)));
    EXPECT_FALSE(DatePasses(criteria, static_cast<std::int32_t>(kNow - 48 * kHour)));
}

TEST_F(SearchCriteriaTest, FutureTimesPassDayAndMonthRanges)
{
    for (int range : {kDateDays, kDateMonths}) {
        const SearchCriteria criteria = DateCriteria(range);
        EXPECT_TRUE(DatePasses(criteria, static_cast<std::int32_t>(kNow + kHour)));
        EXPECT_TRUE(DatePasses(criteria, static_cast<std::int32_t>(kNow + 5000 * kDay)));
        EXPECT_TRUE(DatePasses(criteria, INT32_MAX));
    }
}

TEST_F(SearchCriteriaTest, TwoMonthsMeanSixtyDays)
{
    SearchCriteria criteria = DateCriteria(kDateMonths);
    criteria.Months = 2;
    EXPECT_TRUE(DatePasses(criteria, static_cast<std::int32_t>(kNow - 61 * kDay + 1)));
    EXPECT_FALSE(DatePasses(criteria, static_cast<std::int32_t>(kNow - 61 * kDay)));
    criteria.Months = 999;
    EXPECT_TRUE(DatePasses(criteria, static_cast<std::int32_t>(kNow - 29970 * kDay)));
    EXPECT_FALSE(DatePasses(criteria, static_cast<std::int32_t>(kNow - 29971 * kDay)));
}

TEST_F(SearchCriteriaTest, BetweenOnOneDayComparesTimesOfDay)
{
    SearchCriteria criteria = DateCriteria(kDateBetween);
    const std::int32_t midnight = 1699920000; // 2023-11-14 00:00 UTC
    criteria.FromDate = midnight + 10 * kHour;
    criteria.ToDate = midnight + 14 * kHour;
    EXPECT_FALSE(DatePasses(criteria, criteria.FromDate - 1));
    EXPECT_TRUE(DatePasses(criteria, criteria.FromDate));
    EXPECT_TRUE(DatePasses(criteria, midnight + 12 * kHour));
    EXPECT_TRUE(DatePasses(criteria, criteria.ToDate));
    EXPECT_FALSE(DatePasses(criteria, criteria.ToDate + 1));
    EXPECT_FALSE(DatePasses(criteria, midnight));
}

TEST_F(SearchCriteriaTest, NowIsReadOncePerItemAndOnlyByTheDateTest)
{
    SearchCriteria criteria = DateCriteria(kDateDays);
    criteria.NamePattern = "*.txt";
    gClockReads = 0;
    EXPECT_TRUE(MatchesRecord(criteria, "a.txt", FileRecord(), FixedClock));
    EXPECT_EQ(gClockReads, 1);
    // A failed name test ends the item's test before the date is looked at.
    EXPECT_FALSE(MatchesRecord(criteria, "a.doc", FileRecord(), FixedClock));
    EXPECT_EQ(gClockReads, 1);
    criteria.DateRange = kDateBetween;
    EXPECT_FALSE(MatchesRecord(criteria, "a.txt", FileRecord(0, criteria.ToDate + 1), FixedClock));
    EXPECT_EQ(gClockReads, 1);
}

TEST_F(SearchCriteriaTest, BlankTypeEntryPassesOnlyNamesWithADot)
{
    SearchCriteria criteria(FixedClock);
    criteria.TypeExtensions = ".*";
    EXPECT_FALSE(PassesTypeTest(criteria, "README"));
    EXPECT_TRUE(PassesTypeTest(criteria, "README.TXT"));
    EXPECT_TRUE(PassesTypeTest(criteria, "archive.tar.gz"));
}

TEST_F(SearchCriteriaTest, TypeListPassesAnyOfItsExtensionsInAnyCase)
{
    SearchCriteria criteria(FixedClock);
    criteria.TypeExtensions = ".htm;.html;.shtml";
    EXPECT_TRUE(PassesTypeTest(criteria, "index.htm"));
    EXPECT_TRUE(PassesTypeTest(criteria, "INDEX.HTML"));
    EXPECT_TRUE(PassesTypeTest(criteria, "page.shtml"));
    EXPECT_FALSE(PassesTypeTest(criteria, "index.htmx"));
    EXPECT_FALSE(PassesTypeTest(criteria, "htm"));
    criteria.TypeExtensions = ".txt";
    EXPECT_TRUE(PassesTypeTest(criteria, "notes.TXT"));
    EXPECT_FALSE(PassesTypeTest(criteria, "notes.txt.bak"));
    EXPECT_FALSE(PassesTypeTest(criteria, "Unrelated"));
    criteria.TypeExtensions.clear();
    EXPECT_TRUE(PassesTypeTest(criteria, "Unrelated"));
}

struct SizeCase {
    int mode;
    DWORD kb;
    DWORD size;
    bool passes;
};

class SizeTable : public testing::TestWithParam<SizeCase> { };

TEST_P(SizeTable, ComparesBytesWithKilobyteBound)
{
    const SizeCase& c = GetParam();
    SearchCriteria criteria(FixedClock);
    criteria.SizeMode = c.mode;
    criteria.SizeKB = c.kb;
    EXPECT_EQ(PassesSizeTest(criteria, FileRecord(c.size)), c.passes)
        << "mode " << c.mode << ", " << c.kb << " kB, size " << c.size;
}

INSTANTIATE_TEST_SUITE_P(Size, SizeTable,
    testing::Values(SizeCase{kSizeAtMost, 0, 0, true}, SizeCase{kSizeAtMost, 0, 1, false},
        SizeCase{kSizeAtLeast, 0, 0, true}, SizeCase{kSizeAtLeast, 1, 1023, false},
        SizeCase{kSizeAtLeast, 1, 1024, true}, SizeCase{kSizeAtLeast, 1, 0xFFFFFFFF, true},
        SizeCase{kSizeAtMost, 1, 1024, true}, SizeCase{kSizeAtMost, 1, 1025, false}, SizeCase{kSizeAny, 1, 0, true},
        SizeCase{7, 1, 0, true},
        // A bound of 4 GB and more does not fit in 32 bits; it must not wrap
        // to a small one.
        SizeCase{kSizeAtLeast, 4194304, 0xFFFFFFFF, false}, SizeCase{kSizeAtLeast, 4194304, 0, false},
        SizeCase{kSizeAtMost, 4194304, 0xFFFFFFFF, true}, SizeCase{kSizeAtLeast, 0xFFFFFFFF, 0xFFFFFFFF, false},
        SizeCase{kSizeAtMost, 4194303, 0xFFFFFC00, true}, SizeCase{kSizeAtMost, 4194303, 0xFFFFFC01, false}));

TEST_F(SearchCriteriaTest, FolderPassesOnlyWhenNoSizeIsAsked)
{
    CatRecord folder = FileRecord(0);
    folder.Attributes = kAttrDirectory;
    SearchCriteria criteria(FixedClock);
    EXPECT_TRUE(PassesSizeTest(criteria, folder));
    criteria.SizeMode = kSizeAtMost;
    criteria.SizeKB = 1000;
    EXPECT_FALSE(PassesSizeTest(criteria, folder));
    criteria.SizeMode = kSizeAtLeast;
    criteria.SizeKB = 0;
    folder.Size = 123456;
    EXPECT_FALSE(PassesSizeTest(criteria, folder));
}

TEST_F(SearchCriteriaTest, EveryActiveTestMustPass)
{
    SearchCriteria criteria(FixedClock);
    criteria.NamePattern = MakeNamePattern("report");
    criteria.TypeExtensions = ".pdf;.doc";
    criteria.SizeMode = kSizeAtLeast;
    criteria.SizeKB = 10;
    criteria.DateFilter = 1;
    criteria.DateRange = kDateDays;
    criteria.Days = 7;
    const CatRecord fresh = FileRecord(20 * 1024, static_cast<std::int32_t>(kNow - kDay));
    EXPECT_TRUE(MatchesRecord(criteria, "Report2023.pdf", fresh, FixedClock));
    EXPECT_FALSE(MatchesRecord(criteria, "Summary2023.pdf", fresh, FixedClock));
    EXPECT_FALSE(MatchesRecord(criteria, "Report2023.txt", fresh, FixedClock));
    EXPECT_FALSE(MatchesRecord(criteria, "Report2023.pdf", FileRecord(1024, fresh.LastWriteTime), FixedClock));
    EXPECT_FALSE(
        MatchesRecord(criteria, "Report2023.pdf", FileRecord(20 * 1024, fresh.LastWriteTime - 8 * kDay), FixedClock));
}

} // namespace
} // namespace pellidor
