#include "items/Images.h"
#include "catalog/CatFile.h"
#include "platform/ui/Icon.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include <cstdio>
#include <map>
#include <string>

using namespace pellidor;
using platform::ui::IconPtr;

namespace {

// A plain picture of one colour, standing for a file-type icon.
QImage Square(int size, QRgb colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Answers file-type icons from a table by extension (a stand-in for the
// icon theme, which a test machine may lack) and records every request.
class ImagesTest : public testing::Test {
protected:
    void SetUp() override
    {
        images.SetFileTypeIconSource([this](const std::string& name, int size) {
            requests.push_back(name + "@" + std::to_string(size));
            const auto found = colours.find(CImages::ExtensionOf(name));
            if (found == colours.end() || (size == 16 && noSmall))
                return QImage();
            return Square(size, found->second);
        });
        images.LoadFixedImages();
    }

    CImages images;
    std::map<std::string, QRgb> colours{
        {".txt", qRgb(0, 128, 0)}, {".TXT", qRgb(0, 0, 128)}, {".pdf", qRgb(128, 0, 0)}};
    bool noSmall = false;
    std::vector<std::string> requests;
};

TEST_F(ImagesTest, FixedPicturesFillBothListsOnceWithMagentaClear)
{
    images.LoadFixedImages();
    ASSERT_EQ(images.LargeList().Count(), kFixedImageCount);
    ASSERT_EQ(images.SmallList().Count(), kFixedImageCount);
    for (int index = 0; index < kFixedImageCount; ++index) {
        const QImage large = images.LargeList().Image(index);
        const QImage small = images.SmallList().Image(index);
        ASSERT_EQ(large.size(), QSize(32, 32));
        ASSERT_EQ(small.size(), QSize(16, 16));
        // Every picture leaves its top-left corner clear and draws its middle.
        EXPECT_EQ(qAlpha(large.pixel(0, 0)), 0) << index;
        EXPECT_EQ(qAlpha(small.pixel(0, 0)), 0) << index;
        EXPECT_EQ(qAlpha(large.pixel(16, 20)), 255) << index;
        EXPECT_EQ(qAlpha(small.pixel(8, 10)), 255) << index;
    }
    EXPECT_EQ(images.FolderIndex(), 1);
}

TEST(ImagesExtension, SplitsTheLastDotOfTheLastComponent)
{
    const std::pair<const char*, const char*> cases[] = {
        {"readme.txt", ".txt"},
        {"/media/cd/archive.tar.gz", ".gz"},
        {"/media/cd.d/README", ""},
        {"docs.d\\README", ""},
        {"docs\\notes.TXT", ".TXT"},
        {"readme.", "."},
        {".profile", ".profile"},
        {"README", ""},
        {"", ""},
    };
    for (const auto& [name, extension] : cases)
        EXPECT_EQ(CImages::ExtensionOf(name), extension) << name;
}

TEST_F(ImagesTest, OneExtensionSharesOnePairAndItsCaseMakesASecond)
{
    const int readme = images.IndexForFileName("readme.txt");
    EXPECT_EQ(readme, kFixedImageCount);
    EXPECT_EQ(images.IndexForFileName("/media/cd/other.txt"), readme);
    EXPECT_EQ(images.LargeList().Count(), kFixedImageCount + 1);
    EXPECT_EQ(images.SmallList().Count(), kFixedImageCount + 1);
    // Asked once per size for the first name only.
    EXPECT_EQ(requests, (std::vector<std::string>{"readme.txt@32", "readme.txt@16"}));

    const int upper = images.IndexForFileName("OTHER.TXT");
    EXPECT_EQ(upper, kFixedImageCount + 1);
    EXPECT_EQ(images.LargeList().Count(), kFixedImageCount + 2);
    EXPECT_EQ(images.SmallList().Count(), kFixedImageCount + 2);
    EXPECT_EQ(images.LargeList().Image(readme).pixel(5, 5), qRgb(0, 128, 0));
    EXPECT_EQ(images.SmallList().Image(upper).pixel(5, 5), qRgb(0, 0, 128));
}

TEST_F(ImagesTest, NameWithoutExtensionIsTheDocumentWithoutAskingThePlatform)
{
    for (const char* name : {"README", "/media/cd.d/Makefile", "docs.d\\LICENSE", ""})
        EXPECT_EQ(images.IndexForFileName(name), kImageDocument) << name;
    EXPECT_EQ(images.FileTypeIconRequests(), 0);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(images.LargeList().Count(), kFixedImageCount);
}

TEST_F(ImagesTest, TypeWithoutIconIsTheDocumentAndIsAskedOnce)
{
    EXPECT_EQ(images.IndexForFileName("a.unknown"), kImageDocument);
    EXPECT_EQ(images.IndexForFileName("b.unknown"), kImageDocument);
    // No large icon: no small one is asked for, and nothing is appended.
    EXPECT_EQ(requests, (std::vector<std::string>{"a.unknown@32"}));
    EXPECT_EQ(images.LargeList().Count(), kFixedImageCount);
    EXPECT_EQ(images.SmallList().Count(), kFixedImageCount);
}

TEST_F(ImagesTest, MissingSmallIconKeepsTheListsInStep)
{
    noSmall = true;
    const int pdf = images.IndexForFileName("manual.pdf");
    const int txt = images.IndexForFileName("notes.txt");
    EXPECT_EQ(pdf, kFixedImageCount);
    EXPECT_EQ(txt, kFixedImageCount + 1);
    ASSERT_EQ(images.SmallList().Count(), images.LargeList().Count());
    // The small picture is the large one made small.
    EXPECT_EQ(images.SmallList().Image(txt).size(), QSize(16, 16));
    EXPECT_EQ(images.SmallList().Image(txt).pixel(8, 8), qRgb(0, 128, 0));
}

TEST_F(ImagesTest, IconsHandedOutAreNewCopiesOfBothSizes)
{
    HICON large = nullptr;
    HICON small = nullptr;
    ASSERT_TRUE(images.IconsForFileName("x.pdf", &large, &small));
    const IconPtr ownedLarge(large);
    const IconPtr ownedSmall(small);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(large->colour.size(), QSize(32, 32));
    EXPECT_EQ(small->colour.size(), QSize(16, 16));
    EXPECT_EQ(large->ToImage().pixel(3, 3), qRgb(128, 0, 0));

    // Changing a copy leaves the list's picture alone.
    large->colour.fill(Qt::white);
    EXPECT_EQ(images.LargeList().Image(kFixedImageCount).pixel(3, 3), qRgb(128, 0, 0));

    HICON onlySmall = nullptr;
    ASSERT_TRUE(images.FolderIcons(nullptr, &onlySmall));
    const IconPtr ownedOnlySmall(onlySmall);
    EXPECT_EQ(onlySmall->ToImage(), images.SmallList().Image(kImageFolder));

    HICON none = nullptr;
    EXPECT_FALSE(images.IconsForIndex(images.LargeList().Count(), &none, nullptr));
    EXPECT_FALSE(images.IconsForIndex(-1, nullptr, &none));
    EXPECT_EQ(none, nullptr);
}

// Catalogs made by the catalog writer from a folder of the test; the drive
// icon it stores comes from an icon theme planted in the test's home, so the
// test does not depend on the machine's themes.
class ImagesCatalogTest : public ImagesTest {
protected:
    void SetUp() override
    {
        ImagesTest::SetUp();
        for (const int size : {16, 32}) {
            const std::string path = test::TestPath(
                ".icons/Adwaita/" + std::to_string(size) + "x" + std::to_string(size) + "/devices/drive-harddisk.png");
            ASSERT_TRUE(Square(size, qRgb(255, 0, 0)).save(QString::fromStdString(path)));
        }
        QDir().mkpath(QString::fromStdString(test::TestPath("volume/docs")));
        test::WriteFile(test::TestPath("volume/docs/readme.txt"), "hello");
    }

    struct Progress final : IReadProgress {
        bool IsCancelled() const override { return false; }
        void SetCancelled() override { }
        void ShowPath(const std::string&) override { }
    };

    static void MakeCatalog(const std::string& path)
    {
        Progress progress;
        CCatFile catalog;
        ASSERT_TRUE(catalog.Create(test::TestPath("volume"), path, progress));
    }

    static QImage StoredLargeIcon(const std::string& path)
    {
        CCatFile catalog;
        HICON large = nullptr;
        if (!catalog.Open(path, CCatFile::OpenMode::Read) || !catalog.ReadIcons(&large, nullptr))
            return {};
        const IconPtr owned(large);
        return owned != nullptr ? owned->ToImage() : QImage();
    }
};

TEST_F(ImagesCatalogTest, CatalogIconIsAppendedOnceAndOutlivesItsFile)
{
    const std::string path = test::TestPath("catalogs/0000ABCD.pld");
    MakeCatalog(path);
    const QImage stored = StoredLargeIcon(path);
    ASSERT_FALSE(stored.isNull());

    const int index = images.IndexForCatalog(path);
    EXPECT_EQ(index, kFixedImageCount);
    EXPECT_EQ(images.LargeList().Image(index), stored);
    EXPECT_EQ(images.SmallList().Count(), kFixedImageCount + 1);

    ASSERT_EQ(std::remove(path.c_str()), 0);
    EXPECT_EQ(images.IndexForCatalog(path), index);
    EXPECT_EQ(images.LargeList().Count(), kFixedImageCount + 1);
    EXPECT_EQ(images.FileTypeIconRequests(), 0);
}

TEST_F(ImagesCatalogTest, UnreadableCatalogIsBrokenAndNotRemembered)
{
    const std::string path = test::TestPath("catalogs/0000BEEF.pld");
    EXPECT_EQ(images.IndexForCatalog(path), kImageBrokenCatalog);
    test::WriteFile(path, "not a catalog");
    EXPECT_EQ(images.IndexForCatalog(path), kImageBrokenCatalog);
    EXPECT_EQ(images.LargeList().Count(), kFixedImageCount);

    // Nothing was remembered: once the file is a catalog, its icon is used.
    MakeCatalog(path);
    EXPECT_EQ(images.IndexForCatalog(path), kFixedImageCount);
    HICON large = nullptr;
    ASSERT_TRUE(images.IconsForCatalog(path, &large, nullptr));
    const IconPtr owned(large);
    EXPECT_EQ(owned->ToImage(), StoredLargeIcon(path));
}

TEST(ImagesModule, TheModuleInstanceHasTheFixedPictures)
{
    CImages& images = CImages::Instance();
    EXPECT_EQ(&images, &CImages::Instance());
    EXPECT_GE(images.LargeList().Count(), kFixedImageCount);
    EXPECT_EQ(images.LargeList().Count(), images.SmallList().Count());
}

} // namespace
