// Reading catalogs and rewriting their headers: version-1 conversion, the
// text setters, readers sharing a catalog and writers holding it alone.

#include "catalog/CatFile.h"
#include "platform/system/Errors.h"
#include "platform/ui/Icon.h"
#include "tests/catalog/CatalogFixture.h"
#include "tests/support/TestEnvironment.h"

#include <algorithm>
#include <thread>

namespace pellidor::test {
namespace {

using CatFileReadTest = CatalogTest;

TEST_F(CatFileReadTest, Version1CatalogOpensWithItsTextsInTheirPlaces)
{
    const std::string path = TestPath("old.pld");
    WriteFile(path, Version1Catalog());
    {
        CCatFile file;
        ASSERT_TRUE(file.Open(path, CCatFile::OpenMode::Read));
        EXPECT_EQ(file.Header().Version, 2);
        EXPECT_EQ(file.Header().Reserved1, 0);
        EXPECT_EQ(file.GetVolumeSerial(), 0xCAFEF00Du);
        EXPECT_EQ(file.GetCatalogTime(), 900000000);
        EXPECT_EQ(file.GetVolumeLabel(), "OLDLABEL");
        EXPECT_EQ(file.GetUserName(), "TWELVECHARSX");
        EXPECT_EQ(file.GetFileSystemName(), "FAT");
        EXPECT_EQ(file.GetContent(), "old content");
        EXPECT_EQ(file.GetDriveType(), 0u);
    }
    const auto root = ReadList(path, kRootList);
    ASSERT_EQ(root.size(), 1u);
    EXPECT_STREQ(root[0].Name, "a.txt");
    EXPECT_EQ(root[0].Size, 42u);
}

TEST_F(CatFileReadTest, Version1CatalogIsNotRewrittenInPlace)
{
    const std::string path = TestPath("old.pld");
    const std::string original = Version1Catalog();
    WriteFile(path, original);
    CCatFile file;
    ASSERT_TRUE(file.Open(path, CCatFile::OpenMode::Update));
    file.SetUserName("new name");
    EXPECT_FALSE(file.WriteHeader());
    EXPECT_EQ(ReadFile(path), original);
}

TEST_F(CatFileReadTest, HeaderChangesAreWrittenBackAndTextsAreCutAt255)
{
    Make("a.txt", "x");
    const std::string catalog = CreateCatalog(tree_);
    const std::string before = ReadFile(catalog);
    {
        CCatFile file;
        ASSERT_TRUE(file.Open(catalog, CCatFile::OpenMode::Update));
        file.SetUserName(std::string(300, 'u'));
        file.SetContent("about this disc");
        ASSERT_TRUE(file.WriteHeader());
    }
    CCatFile file;
    ASSERT_TRUE(file.Open(catalog, CCatFile::OpenMode::Read));
    EXPECT_EQ(file.GetUserName(), std::string(255, 'u'));
    EXPECT_EQ(file.Header().UserName[255], '\0');
    EXPECT_EQ(file.GetContent(), "about this disc");
    EXPECT_EQ(file.GetVolumeLabel(), "MYDISC");
    // Only the header changed.
    const std::string after = ReadFile(catalog);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(kHeaderSize), before.substr(kHeaderSize));
}

TEST_F(CatFileReadTest, WriteHeaderNeedsUpdateMode)
{
    Make("a.txt", "x");
    const std::string catalog = CreateCatalog(tree_);
    CCatFile file;
    ASSERT_TRUE(file.Open(catalog, CCatFile::OpenMode::Read));
    file.SetContent("x");
    EXPECT_FALSE(file.WriteHeader());
}

TEST_F(CatFileReadTest, ReadersShareACatalogThatAnUpdateHoldsAlone)
{
    Make("a.txt", "x");
    const std::string catalog = CreateCatalog(tree_);
    {
        CCatFile first;
        ASSERT_TRUE(first.Open(catalog, CCatFile::OpenMode::Read));
        CCatFile second;
        EXPECT_TRUE(second.Open(catalog, CCatFile::OpenMode::Read));
        EXPECT_EQ(ReadList(catalog, kRootList).size(), 1u);
        CCatFile writer;
        EXPECT_FALSE(writer.Open(catalog, CCatFile::OpenMode::Update));
        EXPECT_EQ(platform::system::GetLastError(), platform::system::ERROR_SHARING_VIOLATION);
    }
    {
        CCatFile writer;
        ASSERT_TRUE(writer.Open(catalog, CCatFile::OpenMode::Update));
        CCatFile reader;
        EXPECT_FALSE(reader.Open(catalog, CCatFile::OpenMode::Read));
        EXPECT_TRUE(ReadList(catalog, kRootList).empty());
    }
    CCatFile again;
    EXPECT_TRUE(again.Open(catalog, CCatFile::OpenMode::Update));
}

TEST_F(CatFileReadTest, AReadScopeLendsItsOpenCatalogToReadersOnItsThreadOnly)
{
    Make("a.txt", "x");
    Make("sub/b.txt", "yy");
    const std::string catalog = CreateCatalog(tree_);
    const std::vector<CatRecord> alone = ReadList(catalog, kRootList);
    ASSERT_EQ(alone.size(), 2u);
    const auto opensOnAnotherThread = [&catalog] {
        bool opened = false;
        std::thread other([&] {
            CCatFile file;
            opened = file.Open(catalog, CCatFile::OpenMode::Read);
        });
        other.join();
        return opened;
    };
    {
        CatalogReadScope scope(catalog);
        ASSERT_TRUE(scope.IsKeeping());
        // Readers here share the kept file: each gets every list, however
        // many are open at once, and the header with it.
        CCatFile outer;
        CatRecord record{};
        ASSERT_TRUE(outer.Open(catalog, CCatFile::OpenMode::Read));
        const std::vector<CatRecord> shared = ReadList(catalog, kRootList);
        ASSERT_EQ(shared.size(), alone.size());
        for (std::size_t i = 0; i < shared.size(); ++i)
            EXPECT_STREQ(shared[i].Name, alone[i].Name);
        const auto folder
            = std::find_if(shared.begin(), shared.end(), [](const CatRecord& entry) { return entry.IsFolder(); });
        ASSERT_NE(folder, shared.end());
        ASSERT_TRUE(outer.ReadFirst(folder->Size, &record));
        EXPECT_STREQ(record.Name, "b.txt");
        // The scope holds a reader's lock: readers elsewhere open the
        // catalog on their own, a writer is refused at once.
        EXPECT_TRUE(opensOnAnotherThread());
        CCatFile writer;
        EXPECT_FALSE(writer.Open(catalog, CCatFile::OpenMode::Update));
        EXPECT_EQ(platform::system::GetLastError(), platform::system::ERROR_SHARING_VIOLATION);
    }
    CCatFile writer;
    EXPECT_TRUE(writer.Open(catalog, CCatFile::OpenMode::Update));
}

TEST_F(CatFileReadTest, AScopeOverWhatCannotBeOpenedKeepsNothing)
{
    const std::string missing = TestPath("none.pld");
    CatalogReadScope scope(missing);
    EXPECT_FALSE(scope.IsKeeping());
    CCatFile file;
    CatRecord record{};
    file.SetPath(missing);
    EXPECT_FALSE(file.ReadFirst(kRootList, &record));
}

TEST_F(CatFileReadTest, ReadFirstRefusesWhatIsNoList)
{
    Make("a.txt", "x");
    const std::string catalog = CreateCatalog(tree_);
    CCatFile file;
    file.SetPath(catalog);
    CatRecord record;
    EXPECT_FALSE(file.ReadFirst(kRootList, nullptr));
    EXPECT_FALSE(file.ReadFirst(kNoList, &record));
    EXPECT_FALSE(file.ReadFirst(0, &record));
    EXPECT_TRUE(file.ReadFirst(kRootList, &record));
    EXPECT_STREQ(record.Name, "a.txt");
    EXPECT_FALSE(file.ReadNext(&record));
}

TEST_F(CatFileReadTest, IconsReadBackAtTheirSizes)
{
    Make("a.txt", "x");
    const std::string catalog = CreateCatalog(tree_);
    CCatFile file;
    file.SetPath(catalog);
    HICON large = nullptr;
    HICON small = nullptr;
    ASSERT_TRUE(file.ReadIcons(&large, &small));
    if (large == nullptr)
        GTEST_SKIP() << "no icon theme installed";
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(large->colour.size(), QSize(32, 32));
    EXPECT_EQ(small->mask.size(), QSize(16, 16));
    platform::ui::DestroyIcon(large);
    platform::ui::DestroyIcon(small);
}

} // namespace
} // namespace pellidor::test
