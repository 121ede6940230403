// Writing catalogs: what Create records for a tree, and what it leaves on
// disk when it cannot finish.

#include "catalog/CatFile.h"
#include "platform/registry/Registry.h"
#include "platform/system/Tick.h"
#include "tests/catalog/CatalogFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace pellidor::test {
namespace {

// The names of a folder in the order the system enumerates them, without
// those that begin with ".".
std::vector<std::string> EnumerationOrder(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

std::string Bytes(const std::string& path)
{
    return ReadFile(path);
}

using CatFileWriteTest = CatalogTest;

TEST_F(CatFileWriteTest, KnownTreeParsesBackExactly)
{
    Make("docs/readme.txt", "hello");
    Make("docs/deep/er/file.bin", std::string(1000, 'x'));
    Make("docs/empty/");
    Make("music/song.mp3", "la");
    Make("top.txt", "0123456789");
    const std::string catalog = CreateCatalog(tree_ + "/");
    ASSERT_FALSE(catalog.empty());
    const std::string bytes = Bytes(catalog);

    // Header fields at their byte offsets.
    ASSERT_GE(bytes.size(), 832u);
    EXPECT_EQ(bytes.substr(0, 2), "PD");
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(U32At(bytes, 12), 832u);
    EXPECT_EQ(U32At(bytes, 16), 0x1234ABCDu);
    EXPECT_EQ(std::string(bytes.c_str() + 48), "MYDISC");
    EXPECT_EQ(std::string(bytes.c_str() + 304), "MYDISC");
    EXPECT_EQ(std::string(bytes.c_str() + 560), "CDFS");
    EXPECT_EQ(std::string(bytes.c_str() + 569), "");
    EXPECT_EQ(U32At(bytes, 828), 5u);
    EXPECT_EQ(U32At(bytes, 24), 700000000u);

    // Icon block: four bitmap file images, 4-bit colour and 1-bit mask, at
    // 32 and 16 pixels; the root list follows at once.
    std::size_t at = 832;
    const struct {
        int side, bits;
    } shapes[] = {{32, 4}, {32, 1}, {16, 4}, {16, 1}};
    for (const auto& shape : shapes) {
        const std::uint32_t n = U32At(bytes, at);
        const std::size_t palette = shape.bits == 4 ? 64 : 8;
        const std::size_t rowBytes = ((shape.bits * shape.side + 31) / 32) * 4;
        ASSERT_EQ(n, 54 + palette + rowBytes * shape.side) << "record at " << at;
        EXPECT_EQ(bytes.substr(at + 4, 2), "BM");
        EXPECT_EQ(U32At(bytes, at + 4 + 2), n);
        EXPECT_EQ(U32At(bytes, at + 4 + 10), 54 + palette);
        EXPECT_EQ(static_cast<int>(U32At(bytes, at + 4 + 18)), shape.side);
        EXPECT_EQ(static_cast<int>(U32At(bytes, at + 4 + 22)), shape.side);
        EXPECT_EQ(static_cast<unsigned char>(bytes[at + 4 + 28]), shape.bits);
        EXPECT_EQ(U32At(bytes, at + 4 + 46), shape.bits == 4 ? 16u : 2u);
        at += 4 + n;
    }
    EXPECT_EQ(U32At(bytes, 8), at);

    // Every list, depth first, each sub-tree after its folder's list, the
    // entries in enumeration order with their sizes.
    std::vector<std::uint32_t> offsets;
    std::function<void(std::uint32_t, const std::string&)> check
        = [&](std::uint32_t offset, const std::string& folder) {
              offsets.push_back(offset);
              const RawList list = ParseList(bytes, offset);
              std::vector<std::string> names;
              for (const RawEntry& entry : list.entries) {
                  names.push_back(entry.name);
                  struct stat info { };
                  ASSERT_EQ(lstat((folder + "/" + entry.name).c_str(), &info), 0);
                  EXPECT_EQ(entry.lastWriteTime, static_cast<std::int32_t>(info.st_mtime));
                  if (S_ISDIR(info.st_mode)) {
                      EXPECT_EQ(entry.attributes, 0x10u);
                      ASSERT_NE(entry.size, kNoList) << entry.name;
                      EXPECT_GT(entry.size, offset);
                      check(entry.size, folder + "/" + entry.name);
                  } else {
                      EXPECT_EQ(entry.attributes, 0u);
                      EXPECT_EQ(entry.size, static_cast<std::uint32_t>(info.st_size));
                  }
              }
              EXPECT_EQ(names, EnumerationOrder(folder)) << folder;
          };
    check(U32At(bytes, 8), tree_);
    EXPECT_EQ(offsets.size(), 6u);
    EXPECT_TRUE(std::is_sorted(offsets.begin(), offsets.end())) << "lists are not in depth-first order";

    // And CCatFile reads the same root list back.
    const auto root = ReadList(catalog, kRootList);
    ASSERT_EQ(root.size(), ParseList(bytes, U32At(bytes, 8)).entries.size());
    EXPECT_EQ(std::string(root[0].Name), EnumerationOrder(tree_)[0]);
}

TEST_F(CatFileWriteTest, EmptyVolumeRootHasNoRootList)
{
    const std::string catalog = CreateCatalog(tree_);
    ASSERT_FALSE(catalog.empty());
    CCatFile file;
    ASSERT_TRUE(file.Open(catalog, CCatFile::OpenMode::Read));
    EXPECT_EQ(file.Header().RootListOffset, 0u);
    EXPECT_TRUE(ReadList(catalog, kRootList).empty());
}

TEST_F(CatFileWriteTest, EmptySubFolderGetsCompletedEmptyList)
{
    Make("empty/");
    const std::string catalog = CreateCatalog(tree_);
    const auto root = ReadList(catalog, kRootList);
    ASSERT_EQ(root.size(), 1u);
    ASSERT_NE(root[0].Size, kNoList);
    EXPECT_EQ(U32At(Bytes(catalog), root[0].Size), 0u);
    EXPECT_TRUE(ReadList(catalog, root[0].Size).empty());
}

TEST_F(CatFileWriteTest, NamesBeginningWithAFullStopAreSkipped)
{
    Make(".profile", "x");
    Make(".hidden/inside.txt", "x");
    Make("a.b", "x");
    const auto root = ReadList(CreateCatalog(tree_), kRootList);
    ASSERT_EQ(root.size(), 1u);
    EXPECT_STREQ(root[0].Name, "a.b");
}

TEST_F(CatFileWriteTest, LongNamesRoundTrip)
{
    const std::string name200(200, 'n');
    const std::string name255 = std::string(251, 'm') + ".txt";
    Make(name200, "x");
    Make(name255, "y");
    const auto root = ReadList(CreateCatalog(tree_), kRootList);
    ASSERT_EQ(root.size(), 2u);
    std::set<std::string> names{root[0].Name, root[1].Name};
    EXPECT_TRUE(names.count(name200));
    EXPECT_TRUE(names.count(name255));
}

TEST_F(CatFileWriteTest, FileOver4GiBKeepsLow32BitsOfItsSize)
{
    const std::string path = Make("big.iso");
    ASSERT_EQ(truncate(path.c_str(), (std::int64_t{1} << 32) + 5), 0);
    const auto root = ReadList(CreateCatalog(tree_), kRootList);
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root[0].Size, 5u);
}

TEST_F(CatFileWriteTest, TimesNotKeptOrOutside32BitsAreMinusOne)
{
    struct Case {
        const char* name;
        std::int64_t access;
        std::int64_t write;
        std::int32_t expectAccess;
        std::int32_t expectWrite;
    } cases[] = {
        {"zero-access", 0, 1000000000, -1, 1000000000},
        {"after-2038", 1500000000, (std::int64_t{1} << 31) + 100, 1500000000, -1},
        {"before-1970", -86400, 1300000000, -86400, 1300000000},
    };
    for (const auto& c : cases) {
        const std::string path = Make(c.name, "t");
        const timespec times[2] = {{static_cast<time_t>(c.access), 0}, {static_cast<time_t>(c.write), 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << c.name;
    }
    std::map<std::string, CatRecord> byName;
    for (const auto& record : ReadList(CreateCatalog(tree_), kRootList))
        byName[record.Name] = record;
    for (const auto& c : cases) {
        ASSERT_TRUE(byName.count(c.name)) << c.name;
        EXPECT_EQ(byName[c.name].LastAccessTime, c.expectAccess) << c.name;
        EXPECT_EQ(byName[c.name].LastWriteTime, c.expectWrite) << c.name;
    }
}

TEST_F(CatFileWriteTest, LinksAndReadOnlyFilesKeepTheirOwnAttributes)
{
    Make("target/inside.txt", "x");
    ASSERT_EQ(symlink("target", (tree_ + "/link").c_str()), 0);
    const std::string locked = Make("locked.txt", "x");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    std::map<std::string, CatRecord> byName;
    for (const auto& record : ReadList(CreateCatalog(tree_), kRootList))
        byName[record.Name] = record;
    ASSERT_EQ(byName.size(), 3u);
    // The link is recorded as itself: not a folder, never walked.
    EXPECT_EQ(byName["link"].Attributes & kAttrDirectory, 0u);
    EXPECT_EQ(byName["link"].Size, 6u); // the length of "target"
    EXPECT_EQ(byName["locked.txt"].Attributes, kAttrReadOnly);
    EXPECT_EQ(byName["target"].Attributes, kAttrDirectory);
}

TEST_F(CatFileWriteTest, CatalogsMadeInTheSameTickGetConsecutiveNames)
{
    // Names for every tick of the next few seconds are taken, so whatever
    // the tick when the catalogs are made, both collide and count on. The
    // names live in memory (tmpfs): thousands of files on a busy disk would
    // take longer than the window they cover.
    char shm[] = "/dev/shm/pellidor-ticks-XXXXXX";
    if (mkdtemp(shm) == nullptr)
        GTEST_SKIP() << "no /dev/shm";
    const std::string directory = shm;
    SetCatalogDirectory(directory);
    const DWORD start = platform::system::GetTickCount();
    constexpr DWORD kTaken = 5000;
    char name[32];
    for (DWORD i = 0; i < kTaken; ++i) {
        std::snprintf(name, sizeof name, "/%08X.pld", start + i);
        WriteFile(directory + name, {});
    }
    Make("a.txt", "x");
    const std::string first = CreateCatalog(tree_);
    const std::string second = CreateCatalog(tree_);
    const DWORD elapsed = platform::system::GetTickCount() - start;
    QDir(QString::fromStdString(directory)).removeRecursively();
    ASSERT_LT(elapsed, kTaken) << "the machine was too slow for this test";
    std::snprintf(name, sizeof name, "/%08X.pld", start + kTaken);
    EXPECT_EQ(first, directory + name);
    std::snprintf(name, sizeof name, "/%08X.pld", start + kTaken + 1);
    EXPECT_EQ(second, directory + name);
}

TEST_F(CatFileWriteTest, DriveWithoutMediumFailsBeforeAnyFileIsMade)
{
    WriteDriveTable(TestRoot() + "/cdrom\t5\t\t0\t\t0\t0\t0\n");
    RecordingProgress progress;
    EXPECT_TRUE(CreateCatalog(TestRoot() + "/cdrom", progress).empty());
    EXPECT_TRUE(CatalogFiles().empty());
    EXPECT_TRUE(progress.paths.empty());
}

TEST_F(CatFileWriteTest, NoCatalogDirectoryFailsBeforeAnyFileIsMade)
{
    Make("a.txt", "x");
    platform::registry::DeleteTree(platform::registry::Hive::LocalMachine, kCatDirKey);
    EXPECT_TRUE(CreateCatalog(tree_).empty());
    EXPECT_TRUE(CatalogFiles().empty());
}

TEST_F(CatFileWriteTest, CancellingInADeepFolderStopsThereAndLeavesNoFile)
{
    std::string deep;
    for (int level = 0; level < 12; ++level) {
        deep += "level" + std::to_string(level) + "/";
        Make(deep + "file.txt", "x");
    }
    Make("zz-after/file.txt", "x");
    RecordingProgress progress;
    progress.cancelWhen = [](const std::string& path) { return path.find("level8") != std::string::npos; };
    EXPECT_TRUE(CreateCatalog(tree_, progress).empty());
    EXPECT_TRUE(CatalogFiles().empty());
    // No folder is shown after the one where the cancel came.
    ASSERT_FALSE(progress.paths.empty());
    EXPECT_NE(progress.paths.back().find("level8"), std::string::npos);
}

TEST_F(CatFileWriteTest, ReadingTheSameVolumeTwiceGivesTwoCatalogs)
{
    Make("a.txt", "x");
    const std::string first = CreateCatalog(tree_);
    const std::string second = CreateCatalog(tree_);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    CCatFile a, b;
    ASSERT_TRUE(a.Open(first, CCatFile::OpenMode::Read));
    ASSERT_TRUE(b.Open(second, CCatFile::OpenMode::Read));
    EXPECT_EQ(a.GetVolumeSerial(), b.GetVolumeSerial());
}

TEST_F(CatFileWriteTest, AFolderOfTheDriveReadsWithItsOwnNameAsLabel)
{
    Make("photos/summer/a.jpg", "x");
    const std::string catalog = CreateCatalog(tree_ + "/photos");
    {
        CCatFile file;
        ASSERT_TRUE(file.Open(catalog, CCatFile::OpenMode::Read));
        EXPECT_EQ(file.GetVolumeLabel(), "photos");
        EXPECT_EQ(file.GetVolumeSerial(), 0x1234ABCDu);
        EXPECT_EQ(file.GetDriveType(), 5u);
    }
    EXPECT_EQ(ReadList(catalog, kRootList).size(), 1u);
}

TEST_F(CatFileWriteTest, AFolderMetAgainBelowItselfIsListedButNotWalkedAgain)
{
    Make("a/file.txt", "x");
    const std::string loop = Make("a/loop/");
    // The tree's root mounted again inside itself: a loop only a walk that
    // knows its path can leave.
    if (geteuid() != 0)
        GTEST_SKIP() << "bind mounts need root";
    if (mount(tree_.c_str(), loop.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "bind mounts need privileges this run does not have";
    struct Unmount {
        std::string at;
        ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
    } unmount{loop};
    RecordingProgress progress;
    const std::string catalog = CreateCatalog(tree_, progress);
    ASSERT_FALSE(catalog.empty());
    const auto a = ReadList(catalog, ReadList(catalog, kRootList)[0].Size);
    ASSERT_EQ(a.size(), 2u);
    for (const auto& entry : a) {
        if (std::string(entry.Name) == "loop") {
            EXPECT_TRUE(entry.IsFolder());
            EXPECT_EQ(entry.Size, kNoList);
        }
    }
    EXPECT_EQ(progress.paths.size(), 2u) << "the root and a, nothing below the loop";
}

} // namespace
} // namespace pellidor::test
