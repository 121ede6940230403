// A catalog being written is held: the shell cannot move, rename or trash
// it (nor a folder holding it), and a reading cancelled afterwards leaves
// no file anywhere, even when a program that ignores the lock moved it.

#include "catalog/CatFile.h"
#include "platform/shell/FileOperation.h"
#include "platform/system/Errors.h"
#include "tests/catalog/CatalogFixture.h"
#include "tests/support/TestEnvironment.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace pellidor::test {
namespace {

namespace fs = std::filesystem;
namespace shell = platform::shell;
using namespace std::chrono_literals;

constexpr auto kPatience = 60s; // only a hung writer ever waits this long

// Stops the writer at the first folder it shows until the test lets it go
// on, cancelled or not.
class GatedProgress final : public IReadProgress {
public:
    bool IsCancelled() const override { return cancelled_; }
    void SetCancelled() override { cancelled_ = true; }
    void ShowPath(const std::string&) override
    {
        std::unique_lock lock(mutex_);
        if (reached_)
            return;
        reached_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, kPatience, [this] { return released_; });
    }

    bool WaitUntilWriting()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [this] { return reached_; });
    }
    void Release(bool cancel)
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = cancel;
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> cancelled_{false};
    bool reached_ = false;
    bool released_ = false;
};

enum class Operation { Move, Rename, Trash };

class CatFileHeldWhileWritten : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        Make("a.txt", "x");
        Make("sub/b.txt", "yy");
        fs::create_directories(shelf_);
        fs::create_directories(destination_);
    }
    void TearDown() override
    {
        if (writer_.joinable()) {
            progress_.Release(true);
            writer_.join();
        }
    }

    // Starts reading the tree into `catalog` and waits until the writer is
    // inside its walk, the catalog's header already written.
    void StartWriting(const std::string& catalog)
    {
        writer_ = std::thread([this, catalog] {
            CCatFile file;
            created_ = file.Create(tree_, catalog, progress_);
        });
        ASSERT_TRUE(progress_.WaitUntilWriting());
    }
    bool Finish(bool cancel)
    {
        progress_.Release(cancel);
        writer_.join();
        return created_;
    }

    static int Run(Operation operation, const std::string& item, const std::string& destination)
    {
        constexpr WORD kQuiet = shell::FOF_NOCONFIRMATION | shell::FOF_NOERRORUI;
        switch (operation) {
        case Operation::Move:
            return shell::FileOperation(nullptr, shell::FO_MOVE, {item}, destination, shell::FOF_ALLOWUNDO | kQuiet);
        case Operation::Rename:
            return shell::FileOperation(nullptr, shell::FO_RENAME, {item}, item + "-renamed", kQuiet);
        case Operation::Trash:
            return shell::FileOperation(nullptr, shell::FO_DELETE, {item}, {}, shell::FOF_ALLOWUNDO | kQuiet);
        }
        return -1;
    }

    // Every file in the catalog directory (the shelf folder and the
    // destination are in it) and in the Trash.
    std::vector<std::string> CatalogFilesAnywhere() const
    {
        std::vector<std::string> files;
        for (const std::string& root : {catalogs_, std::string(std::getenv("XDG_DATA_HOME")) + "/Trash/files"}) {
            if (!fs::exists(root))
                continue;
            for (const auto& entry : fs::recursive_directory_iterator(root)) {
                if (!entry.is_directory())
                    files.push_back(entry.path().string());
            }
        }
        return files;
    }

    const std::string shelf_ = TestPath("catalogs/shelf");
    const std::string destination_ = TestPath("catalogs/moved");
    GatedProgress progress_;
    std::thread writer_;
    bool created_ = false;
};

using HeldCase = std::tuple<Operation, bool>; // operation, on the folder holding the catalog

class CatalogBeingWritten : public CatFileHeldWhileWritten, public testing::WithParamInterface<HeldCase> { };

TEST_P(CatalogBeingWritten, CannotBeMovedAndLeavesNoFileWhenCancelled)
{
    const auto [operation, onFolder] = GetParam();
    const std::string catalog = shelf_ + "/0000CAFE.pld";
    StartWriting(catalog);
    const std::string item = onFolder ? shelf_ : catalog;

    EXPECT_EQ(Run(operation, item, destination_), static_cast<int>(platform::system::ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(fs::exists(catalog));
    EXPECT_EQ(CatalogFilesAnywhere(), std::vector<std::string>{catalog});

    EXPECT_FALSE(Finish(true));
    EXPECT_TRUE(CatalogFilesAnywhere().empty());
}

std::string HeldCaseName(const testing::TestParamInfo<HeldCase>& info)
{
    static const char* const operations[] = {"Move", "Rename", "Trash"};
    return std::string(operations[static_cast<int>(std::get<0>(info.param))])
        + (std::get<1>(info.param) ? "Folder" : "Catalog");
}

INSTANTIATE_TEST_SUITE_P(ShellOperations, CatalogBeingWritten,
    testing::Combine(testing::Values(Operation::Move, Operation::Rename, Operation::Trash), testing::Bool()),
    HeldCaseName);

TEST_F(CatFileHeldWhileWritten, ARefusedMoveLeavesTheCatalogWholeWhenTheReadingEnds)
{
    const std::string catalog = shelf_ + "/0000CAFE.pld";
    StartWriting(catalog);
    EXPECT_NE(Run(Operation::Move, catalog, destination_), 0);
    ASSERT_TRUE(Finish(false));
    EXPECT_EQ(ReadList(catalog, kRootList).size(), 2u);
    EXPECT_TRUE(fs::is_empty(destination_));
}

// A rename that ignores the lock still cannot make a cancelled reading
// leave its half-written catalog behind, under either name.
TEST_F(CatFileHeldWhileWritten, ACatalogRenamedBehindItsBackIsRemovedWhenCancelled)
{
    const std::string catalog = catalogs_ + "/0000CAFE.pld";
    const std::string moved = shelf_ + "/0000CAFE.pld";
    StartWriting(catalog);
    ASSERT_EQ(std::rename(catalog.c_str(), moved.c_str()), 0);

    EXPECT_FALSE(Finish(true));
    EXPECT_FALSE(fs::exists(moved));
    EXPECT_TRUE(CatalogFilesAnywhere().empty());
}

// ... and a file that took the old name meanwhile is not the catalog's to
// remove.
TEST_F(CatFileHeldWhileWritten, AFileThatTookTheOldNameIsKept)
{
    const std::string catalog = catalogs_ + "/0000CAFE.pld";
    const std::string moved = shelf_ + "/0000CAFE.pld";
    StartWriting(catalog);
    ASSERT_EQ(std::rename(catalog.c_str(), moved.c_str()), 0);
    WriteFile(catalog, "another");

    EXPECT_FALSE(Finish(true));
    EXPECT_FALSE(fs::exists(moved));
    EXPECT_EQ(ReadFile(catalog), "another");
}

} // namespace
} // namespace pellidor::test
