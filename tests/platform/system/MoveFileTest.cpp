// Moves now and at the next start of the platform.

#include "platform/system/MoveFile.h"
#include "platform/system/Errors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace sys = platform::system;
using pellidor::test::ReadFile;
using pellidor::test::TestPath;
using pellidor::test::WriteFile;

TEST(MoveFile, WithoutReplaceAnExistingTargetIsRefused)
{
    const std::string from = TestPath("a");
    const std::string to = TestPath("b");
    WriteFile(from, "new");
    WriteFile(to, "old");
    EXPECT_FALSE(sys::MoveFileEx(from, to, 0));
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadFile(to), "old");
    EXPECT_TRUE(sys::MoveFileEx(from, to, sys::MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadFile(to), "new");
    EXPECT_FALSE(std::filesystem::exists(from));
}

TEST(MoveFile, DelayedMovesWaitAndRunInTheirOrderAtTheNextStart)
{
    const std::string library = TestPath("system/Lib.so");
    const std::string staged = TestPath("system/Lib.001");
    const std::string stale = TestPath("system/stale");
    WriteFile(library, "in use");
    WriteFile(staged, "replacement");
    WriteFile(stale, "x");
    // The second move depends on the first having run.
    ASSERT_TRUE(sys::MoveFileEx(staged, library, sys::MOVEFILE_REPLACE_EXISTING | sys::MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(sys::MoveFileEx(library, TestPath("system/Lib.so.moved"), sys::MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(sys::MoveFileEx(stale, "", sys::MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(ReadFile(library), "in use");
    ASSERT_EQ(sys::PendingMoves().size(), 3u);
    EXPECT_EQ(sys::PendingMoves()[0].source, staged);
    EXPECT_TRUE(sys::PendingMoves()[0].replace);
    EXPECT_TRUE(sys::PendingMoves()[2].target.empty());

    std::vector<std::string> failures;
    EXPECT_EQ(sys::CarryOutPendingMoves(&failures), 3);
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(ReadFile(TestPath("system/Lib.so.moved")), "replacement");
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(sys::PendingMoves().empty());
}

TEST(MoveFile, AMoveThatFailsAtStartDoesNotHoldTheOthersBackAndIsDropped)
{
    const std::string there = TestPath("there");
    WriteFile(there, "x");
    ASSERT_TRUE(sys::MoveFileEx(TestPath("missing"), TestPath("anywhere"), sys::MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(sys::MoveFileEx(there, TestPath("moved"), sys::MOVEFILE_DELAY_UNTIL_REBOOT));
    std::vector<std::string> failures;
    EXPECT_EQ(sys::CarryOutPendingMoves(&failures), 1);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("missing"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(TestPath("moved")));
    EXPECT_TRUE(sys::PendingMoves().empty());
}
