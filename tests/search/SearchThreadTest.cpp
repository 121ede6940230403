#include "search/SearchThread.h"

#include "catalog/CatFile.h"
#include "items/ShelfFolder.h"
#include "items/ShelfItem.h"
#include "module/ModuleLock.h"
#include "platform/shell/FileOperation.h"
#include "platform/system/Errors.h"
#include "search/SearchEngine.h"
#include "search/SearchOwner.h"
#include "tests/items/ShelfTestCatalogs.h"
#include "tests/support/CatalogDirectory.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pellidor {
namespace {

using platform::com::ComPtr;
using namespace std::chrono_literals;

constexpr auto kPatience = 60s; // only a hung worker ever waits this long

class QuietProgress final : public IReadProgress {
public:
    bool IsCancelled() const override { return false; }
    void SetCancelled() override { }
    void ShowPath(const std::string&) override { }
};

// An owner that records everything the worker tells it. Its AddResult can
// hold the worker at a chosen result until the test lets it go on, the way a
// user's Stop click lands while a result is being inserted.
class RecordingOwner final : public ISearchOwner {
public:
    bool IsStopRequested() const override { return stop.load(); }

    void SetPathText(const std::string& text) override
    {
        const std::lock_guard lock(mutex_);
        paths.push_back(text);
    }

    bool MatchesCriteria(const SearchCriteria& criteria, CCatItem& item) override
    {
        ++tested;
        maxLiveObjects = std::max(maxLiveObjects.load(), ModuleLockCount());
        return pellidor::MatchesCriteria(criteria, item);
    }

    bool AddResult(CCatItem& item) override
    {
        std::unique_lock lock(mutex_);
        if (stop.load()) {
            ++refusedAfterStop;
            return false;
        }
        if (keepResults)
            results.push_back(ComPtr<CCatItem>::AddRefed(&item));
        names.push_back(item.GetName());
        folders.push_back(item.GetFolderText());
        if (static_cast<int>(names.size()) == holdAtResult) {
            held_ = true;
            changed_.notify_all();
            changed_.wait_for(lock, kPatience, [this] { return !held_; });
        }
        return true;
    }

    void PostEndOfSearch() override
    {
        const std::lock_guard lock(mutex_);
        ++ends;
        changed_.notify_all();
    }

    bool WaitUntilHeld()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [this] { return held_; });
    }
    void Release()
    {
        const std::lock_guard lock(mutex_);
        held_ = false;
        changed_.notify_all();
    }
    bool WaitForEnd()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [this] { return ends > 0; });
    }

    std::atomic<bool> stop{false};
    std::atomic<int> tested{0};
    std::atomic<long> maxLiveObjects{0};
    bool keepResults = true;
    int holdAtResult = -1;
    // Read by the test after the worker has ended.
    std::vector<std::string> paths;
    std::vector<std::string> names;
    std::vector<std::string> folders;
    std::vector<ComPtr<CCatItem>> results;
    int refusedAfterStop = 0;
    int ends = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
};

// An owner like the dialog: results are inserted on the owner's thread
// through a blocking call, and the owner's thread is told when the worker is
// about to make one.
class BlockingOwner final : public QObject, public ISearchOwner {
public:
    bool IsStopRequested() const override { return stop.load(); }
    void SetPathText(const std::string&) override { }
    bool MatchesCriteria(const SearchCriteria& criteria, CCatItem& item) override
    {
        return pellidor::MatchesCriteria(criteria, item);
    }
    bool AddResult(CCatItem& item) override
    {
        {
            const std::lock_guard lock(mutex_);
            inserting_ = true;
        }
        changed_.notify_all();
        bool inserted = false;
        QMetaObject::invokeMethod(
            this,
            [this, &item, &inserted] {
                if (!stop.load()) {
                    names.push_back(item.GetName());
                    inserted = true;
                }
            },
            Qt::BlockingQueuedConnection);
        return inserted;
    }
    void PostEndOfSearch() override
    {
        QMetaObject::invokeMethod(
            this, [this] { ++ends; }, Qt::QueuedConnection);
    }
    bool WaitUntilInserting()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [this] { return inserting_; });
    }

    std::atomic<bool> stop{false};
    std::vector<std::string> names; // owner's thread only
    int ends = 0; // owner's thread only

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool inserting_ = false;
};

// A shelf in the test's directory: its catalog directory named by the CatDir
// key, catalogs read from small trees made on the disk.
class SearchWalkTest : public testing::Test {
protected:
    void SetUp() override
    {
        catDir_ = test::TestRoot() + "/shelf";
        test::UseCatalogDirectory(catDir_);
    }

    // A file or folder ("name/") of a volume tree.
    void MakeEntry(const std::string& volume, const std::string& relative)
    {
        const std::string path = test::TestPath("volumes/" + volume + "/" + relative);
        if (relative.back() == '/')
            QDir().mkpath(QString::fromStdString(path));
        else
            test::WriteFile(path, "x");
    }

    // Reads volumes/`volume` into `shelfPath` (relative to the catalog
    // directory, "Sub/a.pld").
    void MakeCatalog(const std::string& volume, const std::string& shelfPath)
    {
        const std::string catalog = catDir_ + "/" + shelfPath;
        QDir().mkpath(QString::fromStdString(catalog.substr(0, catalog.rfind('/'))));
        QuietProgress progress;
        CCatFile file;
        ASSERT_TRUE(file.Create(test::TestRoot() + "/volumes/" + volume, catalog, progress)) << catalog;
    }

    ComPtr<CShelfFolder> ShelfRoot()
    {
        auto root = platform::com::MakeCom<CShelfFolder>();
        const BYTE emptyList[2] = {0, 0};
        root->Initialize(reinterpret_cast<LPCITEMIDLIST>(emptyList));
        return root;
    }

    // Runs one search on a worker thread and waits for its end.
    void Search(RecordingOwner& owner, const SearchCriteria& criteria)
    {
        CSearchThread worker;
        worker.Setup(&owner, criteria);
        worker.start();
        ASSERT_TRUE(owner.WaitForEnd());
        ASSERT_TRUE(worker.wait(QDeadlineTimer(std::chrono::duration_cast<std::chrono::milliseconds>(kPatience))));
    }

    SearchCriteria Criteria(const char* typed, ComPtr<CShelfFolder> lookIn)
    {
        SearchCriteria criteria;
        criteria.NamePattern = MakeNamePattern(typed);
        criteria.LookIn = std::move(lookIn);
        return criteria;
    }

    std::string catDir_;
};

std::vector<std::string> Sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

TEST_F(SearchWalkTest, EveryFolderOfACatalogIsSearchedAndMatchingFoldersAreResults)
{
    for (const char* entry : {"match1.txt", "other.txt", "docs/", "docs/match2.txt", "docs/match_dir/",
             "docs/match_dir/inner.txt", "docs/match_dir/match3.txt", "empty/"})
        MakeEntry("v1", entry);
    MakeCatalog("v1", "v1.pld");

    RecordingOwner owner;
    Search(owner, Criteria("match", ShelfRoot()));

    EXPECT_EQ(Sorted(owner.names), Sorted({"match1.txt", "match2.txt", "match_dir", "match3.txt"}));
    EXPECT_EQ(owner.tested, 8);
    EXPECT_EQ(owner.ends, 1);
    // One path per catalog folder, the catalog's own as "", then cleared.
    ASSERT_FALSE(owner.paths.empty());
    EXPECT_EQ(owner.paths.front(), "");
    EXPECT_EQ(owner.paths.back(), "");
    EXPECT_EQ(Sorted({owner.paths.begin(), owner.paths.end() - 1}), Sorted({"", "docs", "docs\\match_dir", "empty"}));
    ASSERT_EQ(owner.results.size(), 4u);
    for (const auto& result : owner.results) {
        const std::string name = result->GetName();
        if (name == "match_dir") {
            EXPECT_TRUE(result->IsFolder());
        }
        if (name == "match3.txt") {
            EXPECT_EQ(result->GetFolderText(), "docs\\match_dir");
        }
    }
}

// All matches of a folder come before any match in its sub-folders, and a
// sub-folder's path is shown before anything in it is delivered.
TEST_F(SearchWalkTest, AFolderIsDeliveredBeforeItsSubfolders)
{
    for (const char* entry : {"a/", "a/b/", "a/b/c/", "a/b/c/m3", "a/b/m2", "a/m1", "a/b2/", "a/b2/m2b", "m0"})
        MakeEntry("v1", entry);
    MakeCatalog("v1", "v1.pld");

    RecordingOwner owner;
    Search(owner, Criteria("m", ShelfRoot()));

    ASSERT_EQ(owner.folders.size(), 5u);
    const auto isProperAncestor = [](const std::string& ancestor, const std::string& folder) {
        return ancestor.size() < folder.size() && (ancestor.empty() || folder.rfind(ancestor + "\\", 0) == 0);
    };
    for (std::size_t i = 0; i < owner.folders.size(); ++i) {
        for (std::size_t j = i + 1; j < owner.folders.size(); ++j)
            EXPECT_FALSE(isProperAncestor(owner.folders[j], owner.folders[i]))
                << owner.names[j] << " in \"" << owner.folders[j] << "\" came after " << owner.names[i];
    }
    // Paths follow the walk: each folder's path comes after its parent's.
    for (std::size_t i = 1; i + 1 < owner.paths.size(); ++i) {
        const std::string& path = owner.paths[i];
        const std::string parent = path.find('\\') == std::string::npos ? "" : path.substr(0, path.rfind('\\'));
        const auto parentAt = std::find(owner.paths.begin(), owner.paths.begin() + i, parent);
        EXPECT_NE(parentAt, owner.paths.begin() + i) << path;
    }
}

TEST_F(SearchWalkTest, SubfoldersOfTheShelfAreSearchedOnlyWithTheFlag)
{
    MakeEntry("top", "hit_top.txt");
    MakeEntry("inner", "hit_inner.txt");
    MakeEntry("deeper", "hit_deeper.txt");
    MakeCatalog("top", "top.pld");
    MakeCatalog("inner", "Sub/inner.pld");
    MakeCatalog("deeper", "Sub/Deeper/deeper.PLD");
    test::WriteFile(catDir_ + "/broken.pld", "not a catalog");

    RecordingOwner withFlag;
    Search(withFlag, Criteria("hit", ShelfRoot()));
    EXPECT_EQ(Sorted(withFlag.names), Sorted({"hit_top.txt", "hit_inner.txt", "hit_deeper.txt"}));

    RecordingOwner withoutFlag;
    SearchCriteria criteria = Criteria("hit", ShelfRoot());
    criteria.IncludeSubfolders = false;
    Search(withoutFlag, criteria);
    EXPECT_EQ(withoutFlag.names, std::vector<std::string>{"hit_top.txt"});

    // Starting in a shelf sub-folder searches from there down.
    ComPtr<CShelfFolder> root = ShelfRoot();
    ASSERT_TRUE(root->LoadChildren(false));
    ComPtr<CShelfFolder> sub;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        if (auto* folder = dynamic_cast<CShelfFolder*>(root->GetChild(i)))
            sub = ComPtr<CShelfFolder>::AddRefed(folder);
    }
    ASSERT_TRUE(sub);
    RecordingOwner fromSub;
    Search(fromSub, Criteria("hit", sub));
    EXPECT_EQ(Sorted(fromSub.names), Sorted({"hit_inner.txt", "hit_deeper.txt"}));
}

TEST_F(SearchWalkTest, StopKeepsTheResultsSoFarEndsTheWorkerAndClearsThePath)
{
    for (int folder = 0; folder < 20; ++folder) {
        for (int file = 0; file < 50; ++file)
            MakeEntry("big", "f" + std::to_string(folder) + "/hit" + std::to_string(file));
    }
    MakeCatalog("big", "big.pld");
    MakeCatalog("big", "big2.pld");

    RecordingOwner owner;
    owner.holdAtResult = 5;
    CSearchThread worker;
    worker.Setup(&owner, Criteria("hit", ShelfRoot()));
    worker.start();
    ASSERT_TRUE(owner.WaitUntilHeld());
    owner.stop = true;
    owner.Release();
    ASSERT_TRUE(owner.WaitForEnd());
    ASSERT_TRUE(worker.wait(QDeadlineTimer(std::chrono::duration_cast<std::chrono::milliseconds>(kPatience))));

    EXPECT_EQ(owner.names.size(), 5u);
    EXPECT_EQ(owner.results.size(), 5u);
    EXPECT_EQ(owner.refusedAfterStop, 0); // the worker itself stops adding
    EXPECT_EQ(owner.ends, 1);
    EXPECT_EQ(owner.paths.back(), "");
    EXPECT_LT(owner.tested, 2000 / 2);
}

// While the search walks a catalog it holds it as a reader: the shelf lists
// the catalog under its own name and opens its folders meanwhile; only a
// writer, and the shell's delete, are refused at once.
TEST_F(SearchWalkTest, TheShelfReadsACatalogWhileTheSearchWalksIt)
{
    for (const char* entry : {"hit1.txt", "docs/", "docs/hit2.txt"})
        MakeEntry("v1", entry);
    MakeCatalog("v1", "v1.pld");
    const std::string path = catDir_ + "/v1.pld";
    const std::string name = [this] {
        ComPtr<CShelfFolder> shelf = ShelfRoot();
        return shelf->LoadChildren(false) && shelf->GetChildCount() == 1 ? shelf->GetChild(0)->GetName() : "";
    }();
    ASSERT_EQ(name, "v1");

    RecordingOwner owner;
    owner.holdAtResult = 1;
    CSearchThread worker;
    worker.Setup(&owner, Criteria("hit", ShelfRoot()));
    worker.start();
    ASSERT_TRUE(owner.WaitUntilHeld());

    // Checked while the walk is held inside the catalog; the walk goes on
    // afterwards whatever the outcome.
    const auto shelfMeanwhile = [&] {
        ComPtr<CShelfFolder> shelf = ShelfRoot();
        ASSERT_TRUE(shelf->LoadChildren(false));
        ASSERT_EQ(shelf->GetChildCount(), 1);
        auto* catalog = dynamic_cast<CShelfItem*>(shelf->GetChild(0));
        ASSERT_NE(catalog, nullptr);
        EXPECT_EQ(catalog->GetName(), name);
        ASSERT_TRUE(catalog->LoadChildren(false));
        std::vector<std::string> children;
        CCatFolder* docs = nullptr;
        for (int i = 0; i < catalog->GetChildCount(); ++i) {
            children.push_back(catalog->GetChild(i)->GetName());
            if (children.back() == "docs")
                docs = dynamic_cast<CCatFolder*>(catalog->GetChild(i));
        }
        EXPECT_EQ(Sorted(children), Sorted({"docs", "hit1.txt"}));
        ASSERT_NE(docs, nullptr);
        ASSERT_TRUE(docs->LoadChildren(false));
        ASSERT_EQ(docs->GetChildCount(), 1);
        EXPECT_EQ(docs->GetChild(0)->GetName(), "hit2.txt");

        EXPECT_FALSE(catalog->SetInformation(std::string("renamed"), std::nullopt));
        EXPECT_EQ(platform::system::GetLastError(), platform::system::ERROR_SHARING_VIOLATION);
        constexpr WORD kQuiet = platform::shell::FOF_NOCONFIRMATION | platform::shell::FOF_NOERRORUI;
        EXPECT_EQ(platform::shell::FileOperation(
                      nullptr, platform::shell::FO_DELETE, {path}, {}, platform::shell::FOF_ALLOWUNDO | kQuiet),
            static_cast<int>(platform::system::ERROR_SHARING_VIOLATION));
    };
    shelfMeanwhile();

    owner.Release();
    ASSERT_TRUE(owner.WaitForEnd());
    ASSERT_TRUE(worker.wait(QDeadlineTimer(std::chrono::duration_cast<std::chrono::milliseconds>(kPatience))));
    EXPECT_EQ(Sorted(owner.names), Sorted({"hit1.txt", "hit2.txt"}));
    ComPtr<CShelfFolder> shelf = ShelfRoot();
    ASSERT_TRUE(shelf->LoadChildren(false));
    auto* catalog = dynamic_cast<CShelfItem*>(shelf->GetChild(0));
    ASSERT_NE(catalog, nullptr);
    EXPECT_TRUE(catalog->SetInformation(std::string("renamed"), std::nullopt));
}

// The worker is inside a synchronous insertion on the owner's thread when the
// owner stops it and waits: the wait must serve that insertion, or both
// threads wait for each other for good.
TEST_F(SearchWalkTest, StoppingWhileAResultIsBeingInsertedDoesNotDeadlock)
{
    for (int i = 0; i < 100; ++i)
        MakeEntry("v1", "hit" + std::to_string(i));
    MakeCatalog("v1", "v1.pld");

    BlockingOwner owner;
    CSearchThread worker;
    worker.Setup(&owner, Criteria("hit", ShelfRoot()));
    worker.start();
    ASSERT_TRUE(owner.WaitUntilInserting());
    owner.stop = true;
    worker.WaitProcessingEvents();

    EXPECT_TRUE(worker.isFinished());
    EXPECT_LE(owner.names.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.ends, 1);
}

TEST_F(SearchWalkTest, TheSearchKeepsTheCriteriaItStartedWith)
{
    for (int i = 0; i < 10; ++i)
        MakeEntry("v1", "hit" + std::to_string(i) + ".txt");
    MakeCatalog("v1", "v1.pld");

    RecordingOwner owner;
    owner.holdAtResult = 1;
    SearchCriteria criteria = Criteria("hit", ShelfRoot());
    CSearchThread worker;
    worker.Setup(&owner, criteria);
    worker.start();
    ASSERT_TRUE(owner.WaitUntilHeld());
    // A page moving its values in while the search runs.
    criteria.NamePattern = "nothing";
    criteria.SizeMode = kSizeAtLeast;
    criteria.SizeKB = 100000;
    owner.Release();
    ASSERT_TRUE(owner.WaitForEnd());
    worker.wait();
    EXPECT_EQ(owner.names.size(), 10u);
}

// A damaged catalog whose folder beta_dir points back at the list of its
// parent alpha_dir: the walk must end, having searched each list once.
TEST_F(SearchWalkTest, AFolderLinkedBackToItsParentsListEndsTheWalk)
{
    MakeEntry("loop", "alpha_dir/beta_dir/hit.txt");
    MakeEntry("loop", "alpha_dir/hit_alpha.txt");
    MakeCatalog("loop", "loop.pld");
    const std::string path = catDir_ + "/loop.pld";
    std::string bytes = test::ReadFile(path);
    const auto sizeFieldOf = [&bytes](const std::string& name) {
        const std::size_t at = bytes.find(static_cast<char>(name.size()) + name);
        EXPECT_NE(at, std::string::npos) << name;
        return at - 4; // the record's last field, just before the name length
    };
    const std::size_t alpha = sizeFieldOf("alpha_dir");
    const std::size_t beta = sizeFieldOf("beta_dir");
    bytes.replace(beta, 4, bytes.substr(alpha, 4));
    test::WriteFile(path, bytes);

    RecordingOwner owner;
    Search(owner, Criteria("", ShelfRoot()));
    EXPECT_EQ(owner.ends, 1);
    // alpha_dir; then its list (beta_dir, hit_alpha.txt) once; then beta_dir's
    // list, which is the same one, is not searched again.
    EXPECT_EQ(Sorted(owner.names), Sorted({"alpha_dir", "beta_dir", "hit_alpha.txt"}));
}

// Catalogs whose folders lead back to a list on their own path, the root
// list among them: every entry is searched and delivered exactly once.
class SearchLinkedBackTest : public SearchWalkTest, public testing::WithParamInterface<test::LinkedBackCatalog> { };

TEST_P(SearchLinkedBackTest, EveryEntryIsSearchedOnce)
{
    test::WriteCatalog(catDir_ + "/linked.pld", test::TestVolume{}, GetParam().root);
    std::vector<std::string> expected;
    for (const auto& walked : test::WalkOnce(GetParam().root))
        expected.push_back(walked.entry->name);

    RecordingOwner owner;
    Search(owner, Criteria("", ShelfRoot()));
    EXPECT_EQ(owner.ends, 1);
    EXPECT_EQ(owner.tested, static_cast<int>(expected.size()));
    EXPECT_EQ(Sorted(owner.names), Sorted(expected));
}

INSTANTIATE_TEST_SUITE_P(Damaged, SearchLinkedBackTest, testing::ValuesIn(test::LinkedBackCatalogs()),
    [](const testing::TestParamInfo<test::LinkedBackCatalog>& tested) { return std::string(tested.param.name); });

// A deep and wide catalog: 3 sub-folders and 3 files in every folder, five
// levels deep. Holding every loaded folder would keep all 1,455 entries
// alive; releasing each folder's children when its subtree is done keeps at
// most the 6 children of each of the 5 folders on the current path.
TEST_F(SearchWalkTest, AWalkHoldsOnlyTheFoldersOnItsPath)
{
    constexpr int kDepth = 5;
    constexpr int kWidth = 3;
    std::vector<std::string> level{""};
    int entries = 0;
    for (int depth = 0; depth < kDepth; ++depth) {
        std::vector<std::string> next;
        for (const auto& folder : level) {
            for (int i = 0; i < kWidth; ++i) {
                MakeEntry("deep", folder + "file" + std::to_string(i));
                next.push_back(folder + "dir" + std::to_string(i) + "/");
                MakeEntry("deep", next.back());
                entries += 2;
            }
        }
        level = std::move(next);
    }
    for (const auto& folder : level) {
        for (int i = 0; i < kWidth; ++i, ++entries)
            MakeEntry("deep", folder + "file" + std::to_string(i));
    }
    MakeCatalog("deep", "deep.pld");

    ComPtr<CShelfFolder> root = ShelfRoot();
    ASSERT_TRUE(root->LoadChildren(false));
    const long before = ModuleLockCount();
    {
        RecordingOwner owner;
        owner.keepResults = false;
        Search(owner, Criteria("", root));
        EXPECT_EQ(owner.tested, entries);
        EXPECT_EQ(owner.names.size(), static_cast<std::size_t>(entries));
        // The deepest folders hold files only; one more object is the
        // catalog file the walk keeps open.
        EXPECT_LE(owner.maxLiveObjects - before, 2 * kWidth * kDepth + kWidth + 1);
        EXPECT_GE(owner.maxLiveObjects - before, 2 * kWidth * kDepth);
    }
    EXPECT_EQ(ModuleLockCount(), before);
}

TEST(SearchCriteriaLookIn, CopiesShareTheStartFolderAndTheLastOneReleasesIt)
{
    const auto folder = platform::com::MakeCom<CShelfFolder>();
    {
        SearchCriteria criteria;
        criteria.LookIn = folder;
        EXPECT_EQ(folder->ReferenceCount(), 2u);
        SearchCriteria copy = criteria;
        EXPECT_EQ(copy.LookIn.Get(), folder.Get());
        EXPECT_EQ(folder->ReferenceCount(), 3u);
        SearchCriteria moved = std::move(copy);
        EXPECT_FALSE(copy.LookIn);
        EXPECT_EQ(folder->ReferenceCount(), 3u);
        criteria = moved;
        EXPECT_EQ(folder->ReferenceCount(), 3u);
        moved.LookIn.Reset();
        EXPECT_EQ(folder->ReferenceCount(), 2u);
    }
    EXPECT_EQ(folder->ReferenceCount(), 1u);
}

} // namespace
} // namespace pellidor
