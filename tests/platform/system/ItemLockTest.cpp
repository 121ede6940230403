// The writer's lock taken on an item before the shell moves or deletes it:
// on a file, on every file of a folder at any depth, all or nothing.

#include "platform/system/ItemLock.h"

#include "platform/system/Errors.h"
#include "platform/system/File.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

using pellidor::test::TestPath;
using pellidor::test::WriteFile;
using platform::system::File;
using platform::system::ItemLock;
namespace fs = std::filesystem;
namespace sys = platform::system;

namespace {

class ItemLockTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = TestPath("shelf/folder");
        for (const char* name : {"a.pld", "inner/b.pld", "inner/deeper/c.pld"}) {
            fs::create_directories(fs::path(folder + "/" + name).parent_path());
            WriteFile(folder + "/" + name, name);
        }
        outside = TestPath("shelf/outside.pld");
        WriteFile(outside, "outside");
    }

    // Whether a reader can open `path` now.
    static bool Opens(const std::string& path)
    {
        File file;
        return file.Open(path, File::Mode::Read);
    }

    // The descriptors this process has open, so that what a lock opened
    // and let go is seen to be closed.
    static std::size_t OpenDescriptors()
    {
        std::size_t count = 0;
        for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it)
            ++count;
        return count;
    }

    std::string folder;
    std::string outside;
};

TEST_F(ItemLockTest, AFolderLockHoldsEveryFileBelowItUntilReleased)
{
    const std::size_t before = OpenDescriptors();
    {
        ItemLock lock;
        ASSERT_EQ(lock.Lock(folder), 0u);
        EXPECT_EQ(lock.Count(), 3u);
        for (const char* name : {"a.pld", "inner/b.pld", "inner/deeper/c.pld"}) {
            File file;
            EXPECT_FALSE(file.Open(folder + "/" + name, File::Mode::Read)) << name;
            EXPECT_EQ(file.LastError(), sys::ERROR_SHARING_VIOLATION);
        }
        EXPECT_TRUE(Opens(outside));
    }
    EXPECT_TRUE(Opens(folder + "/inner/deeper/c.pld"));
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ItemLockTest, AHeldFileFailsTheWholeLockAndLeavesNoneOfItsFilesLocked)
{
    ItemLock lock;
    ASSERT_EQ(lock.Lock(outside), 0u);
    File reader;
    ASSERT_TRUE(reader.Open(folder + "/inner/b.pld", File::Mode::Read));
    const std::size_t before = OpenDescriptors();

    EXPECT_EQ(lock.Lock(folder), sys::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(lock.Count(), 1u); // what was held before stays held
    EXPECT_TRUE(Opens(folder + "/a.pld"));
    EXPECT_TRUE(Opens(folder + "/inner/deeper/c.pld"));
    EXPECT_FALSE(Opens(outside));
}

TEST_F(ItemLockTest, ALinkMovesAsItselfSoWhatItNamesIsNotLocked)
{
    File held;
    ASSERT_TRUE(held.Open(outside, File::Mode::ReadWrite));
    fs::create_symlink(outside, folder + "/link.pld");
    fs::create_directory_symlink(TestPath("shelf"), folder + "/inner/up");

    ItemLock lock;
    EXPECT_EQ(lock.Lock(folder + "/link.pld"), 0u);
    EXPECT_EQ(lock.Lock(folder), 0u);
    EXPECT_EQ(lock.Count(), 3u);
}

TEST_F(ItemLockTest, AMissingItemLocksNothing)
{
    ItemLock lock;
    EXPECT_EQ(lock.Lock(folder + "/gone"), 0u);
    EXPECT_EQ(lock.Count(), 0u);
}

// A shelf folder of more catalogs than the usual descriptor limit still
// moves: the limit is raised as far as the system allows.
TEST_F(ItemLockTest, AFolderOfMoreFilesThanTheDescriptorLimitIsLockedWhole)
{
    struct rlimit saved { };
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    constexpr int kFiles = 300;
    if (saved.rlim_max < 2 * kFiles)
        GTEST_SKIP() << "hard descriptor limit " << saved.rlim_max;
    const std::string many = TestPath("shelf/many");
    fs::create_directories(many);
    for (int i = 0; i < kFiles; ++i)
        WriteFile(many + "/" + std::to_string(i) + ".pld", "x");
    struct rlimit low = saved;
    low.rlim_cur = 128;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);

    ItemLock lock;
    const DWORD error = lock.Lock(many);
    const std::size_t count = lock.Count();
    lock.Release();
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(count, static_cast<std::size_t>(kFiles));
}

} // namespace
