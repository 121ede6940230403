// The shelf's commands, run as a user runs them, without a terminal.

#include "catalog/CatFile.h"
#include "items/ShelfItem.h"
#include "tests/items/ShelfTestCatalogs.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <filesystem>

using namespace pellidor;
using namespace pellidor::test;
namespace fs = std::filesystem;

namespace {

constexpr int kPatienceMs = 60000; // only a hung program ever waits this long

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome Pellidor(const std::vector<std::string>& arguments)
{
    QStringList list;
    for (const auto& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QString::fromStdString(BinDirectory() + "/pellidor"), list);
    if (!process.waitForFinished(kPatienceMs))
        return {};
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
        process.readAllStandardError().toStdString()};
}

// A failure says so in one line and a non-zero status.
void ExpectOneLineError(const Outcome& run, const std::string& containing)
{
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(SplitLines(run.err).size(), 1u) << run.err;
    EXPECT_NE(run.err.find(containing), std::string::npos) << run.err;
}

class ShelfCommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        catDir = TestPath("Pellidor");
        fs::create_directories(catDir + "/Music");
        SetCatDir("", catDir);
        TestVolume volume;
        volume.userName = "Holiday";
        volume.content = "Photos";
        volume.totalBytes = 1073741825;
        holiday = WriteCatalog(catDir + "/a.pld", volume,
            {File("b.txt", 3000000000u), Folder("Docs", {Folder("Sub", {File("deep.txt", 1)}), File("a.doc", 7)}),
                File("A.txt", 1)});
        volume.userName = "Music CD";
        WriteCatalog(catDir + "/Music/m.pld", volume, {});
    }

    std::string catDir;
    std::string holiday;
};

TEST_F(ShelfCommandsTest, ShelfListsItsSevenColumnsFoldersFirst)
{
    const Outcome run = Pellidor({"shelf"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Name\tOriginal\tType\tTotal Size\tFree Space\tDate\tContent");
    EXPECT_EQ(lines[1], "Music\t\t\t\t\t\t");
    EXPECT_EQ(lines[2].substr(0, lines[2].find('\t')), "Holiday");
    EXPECT_NE(lines[2].find("\tCDROM\t1024 MB\t"), std::string::npos);

    const Outcome inner = Pellidor({"shelf", "--json", "Music"});
    ASSERT_EQ(inner.status, 0) << inner.err;
    const QJsonArray rows = QJsonDocument::fromJson(QByteArray::fromStdString(inner.out)).array();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toObject()[QStringLiteral("Name")].toString(), QStringLiteral("Music CD"));
}

TEST_F(ShelfCommandsTest, LsListsACatalogFolderFoldersFirstThenByName)
{
    const Outcome run = Pellidor({"ls", "Holiday"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Name\tTotal Size\tType\tDate\tAttribute");
    EXPECT_EQ(lines[1].substr(0, 5), "Docs\t");
    EXPECT_EQ(lines[2].substr(0, 6), "A.txt\t");
    EXPECT_EQ(lines[3].substr(0, 6), "b.txt\t");
    EXPECT_NE(lines[3].find("\t2.929.688 KB\t"), std::string::npos);

    for (const std::string folder : {"Docs\\Sub", "docs/sub", "/Docs/Sub/"}) {
        const Outcome sub = Pellidor({"ls", holiday, folder});
        ASSERT_EQ(sub.status, 0) << sub.err;
        EXPECT_EQ(SplitLines(sub.out).size(), 2u) << folder;
    }
    ExpectOneLineError(Pellidor({"ls", "Holiday", "Docs/None"}), "Docs/None");
    ExpectOneLineError(Pellidor({"ls", "Nothing"}), "Nothing");
}

TEST_F(ShelfCommandsTest, ExportIsTheFileTheExportCommandWrites)
{
    const std::string out = TestPath("out.txt");
    const Outcome run = Pellidor({"export", "Holiday", out});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string expected = TestPath("expected.txt");
    const auto item = platform::com::MakeCom<CShelfItem>(AsIdList(ShellRootIdList()), FindDataFor(holiday));
    ASSERT_TRUE(item->ExportToFile(expected, nullptr));
    EXPECT_EQ(ReadFile(out), ReadFile(expected));
    EXPECT_NE(ReadFile(out).find("\"b.txt\";\"3000000000\""), std::string::npos);

    ExpectOneLineError(Pellidor({"export", "Holiday", TestRoot() + "/no/such/dir.txt"}), "invalid path");
}

TEST_F(ShelfCommandsTest, ExportOfALockedCatalogFailsInOneLineAndLeavesNoFile)
{
    const std::string out = TestPath("out.txt");
    {
        CCatFile writer; // as while a new name is written into the header
        ASSERT_TRUE(writer.Open(holiday, CCatFile::OpenMode::Update));
        ExpectOneLineError(Pellidor({"export", holiday, out}), "sharing violation occurred while accessing " + holiday);
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_EQ(Pellidor({"export", holiday, out}).status, 0);
}

// Damaged catalogs whose folders lead back to a list on their own path:
// every command that walks a catalog's lists ends, each entry once.
class LinkedBackCommandsTest : public ShelfCommandsTest, public testing::WithParamInterface<LinkedBackCatalog> { };

TEST_P(LinkedBackCommandsTest, ExportAndDumpEnd)
{
    const std::string catalog = WriteCatalog(catDir + "/linked.pld", TestVolume{}, GetParam().root);
    std::size_t files = 0;
    std::size_t lists = 1;
    for (const auto& walked : WalkOnce(GetParam().root)) {
        const bool folder = (walked.entry->attributes & kAttrDirectory) != 0;
        files += folder ? 0 : 1;
        lists += folder && walked.entry->linkBack < 0 ? 1 : 0;
    }
    const std::string out = TestPath("out.txt");
    const Outcome exported = Pellidor({"export", catalog, out});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(SplitLines(ReadFile(out)).size(), 1 + files);

    const Outcome dumped = Pellidor({"dump", "--json", catalog});
    EXPECT_EQ(dumped.status, 3);
    const QJsonObject dump = QJsonDocument::fromJson(QByteArray::fromStdString(dumped.out)).object();
    EXPECT_EQ(dump[QStringLiteral("lists")].toArray().size(), static_cast<qsizetype>(lists));
    const QJsonArray problems = dump[QStringLiteral("problems")].toArray();
    EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [](const QJsonValue& problem) {
        return problem.toString().endsWith(QStringLiteral(" is already shown"));
    })) << dumped.out;
}

INSTANTIATE_TEST_SUITE_P(Damaged, LinkedBackCommandsTest, testing::ValuesIn(LinkedBackCatalogs()),
    [](const testing::TestParamInfo<LinkedBackCatalog>& tested) { return std::string(tested.param.name); });

// A list whose Count reads as negative shows no entries, not names parsed
// from the lists stored after it.
TEST_F(ShelfCommandsTest, LsOfAListWithANegativeCountShowsNoEntries)
{
    const std::string catalog = WriteCatalog(catDir + "/signed.pld", TestVolume{},
        {CountedFolder("Negative", {File("one.txt"), File("two.txt")}, 0x80000000u),
            Folder("After", {File("three.txt")}), File("top.txt")});
    const Outcome root = Pellidor({"ls", catalog});
    ASSERT_EQ(root.status, 0) << root.err;
    EXPECT_EQ(SplitLines(root.out).size(), 4u);
    const Outcome negative = Pellidor({"ls", catalog, "Negative"});
    ASSERT_EQ(negative.status, 0) << negative.err;
    EXPECT_EQ(SplitLines(negative.out), std::vector<std::string>{"Name\tTotal Size\tType\tDate\tAttribute"});
}

TEST_F(ShelfCommandsTest, InfoShowsTheFactsAndStoresNewOnes)
{
    Outcome run = Pellidor({"info", "Holiday", "--name", "Summer", "--content", "Beach"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Name\tSummer\n"), std::string::npos);
    EXPECT_NE(run.out.find("Content\tBeach\n"), std::string::npos);
    EXPECT_NE(run.out.find("Serial\t12345678\n"), std::string::npos);
    run = Pellidor({"info", "--json", "Summer"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonArray rows = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).array();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toObject()[QStringLiteral("Path")].toString().toStdString(), holiday);
    EXPECT_EQ(rows[0].toObject()[QStringLiteral("Total Bytes")].toString(), QStringLiteral("1073741825"));
}

TEST_F(ShelfCommandsTest, InfoCountsWhatTheFolderAndVolumePagesShow)
{
    // The catalog: b.txt, Docs (Sub (deep.txt), a.doc), A.txt.
    Outcome run = Pellidor({"info", "Holiday"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("File Bytes\t" + std::to_string(fs::file_size(holiday)) + "\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Files\t4\nFolders\t2\nFiles Bytes\t3000000009\n"), std::string::npos) << run.out;
    // A folder counts itself, as its page does.
    run = Pellidor({"info", "Holiday", "docs"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Files\t2\nFolders\t2\nFiles Bytes\t8\n"), std::string::npos) << run.out;
    run = Pellidor({"info", "Holiday", "Docs/Sub"});
    EXPECT_NE(run.out.find("Files\t1\nFolders\t1\nFiles Bytes\t1\n"), std::string::npos) << run.out;
    ExpectOneLineError(Pellidor({"info", "Holiday", "Nowhere"}), "no folder 'Nowhere'");
}

TEST_F(ShelfCommandsTest, TabsAndLineEndsInNamesAndTextsStayOnTheirLineAsFindShowsThem)
{
    TestVolume volume;
    volume.userName = "Odd";
    volume.content = "two\nlines";
    WriteCatalog(catDir + "/odd.pld", volume, {File("tab\there.txt", 1), File("line\nend.txt", 2)});
    Outcome run = Pellidor({"ls", "Odd"});
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[1].substr(0, lines[1].find('\t')), "line\\nend.txt");
    EXPECT_EQ(lines[2].substr(0, lines[2].find('\t')), "tab\\there.txt");

    run = Pellidor({"info", "Odd"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nContent\ttwo\\nlines\n"), std::string::npos) << run.out;
    EXPECT_EQ(SplitLines(run.out).size(), 16u);

    run = Pellidor({"shelf"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\ttwo\\nlines\n"), std::string::npos) << run.out;
}

TEST_F(ShelfCommandsTest, NameOfSeveralCatalogsIsAnErrorListingThem)
{
    TestVolume volume;
    volume.userName = "Holiday";
    const std::string twin = WriteCatalog(catDir + "/Music/twin.pld", volume, {});
    const Outcome run = Pellidor({"ls", "Holiday"});
    ExpectOneLineError(run, "2 catalogs");
    EXPECT_NE(run.err.find(holiday), std::string::npos);
    EXPECT_NE(run.err.find(twin), std::string::npos);
    EXPECT_EQ(Pellidor({"ls", "Music/Holiday"}).status, 0);
}

TEST_F(ShelfCommandsTest, FileOperationsWorkAndRefuseWithoutATerminal)
{
    EXPECT_EQ(Pellidor({"mkdir", "Films"}).status, 0);
    EXPECT_TRUE(fs::is_directory(catDir + "/Films"));
    ExpectOneLineError(Pellidor({"mkdir", "../Escaped"}), "syntax is incorrect");
    ExpectOneLineError(Pellidor({"mkdir", "Films"}), "already exists");
    EXPECT_FALSE(fs::exists(TestPath("Escaped")));

    EXPECT_EQ(Pellidor({"rename", "Films", "Movies"}).status, 0);
    EXPECT_TRUE(fs::is_directory(catDir + "/Movies"));
    ExpectOneLineError(Pellidor({"rename", "Movies", "../Escaped"}), "syntax is incorrect");

    EXPECT_EQ(Pellidor({"mv", "Holiday", "Movies"}).status, 0);
    EXPECT_TRUE(fs::exists(catDir + "/Movies/a.pld"));
    ExpectOneLineError(Pellidor({"mv", "Movies", "Movies"}), "inside");

    // Deleting asks first: without a terminal the answer is no.
    ExpectOneLineError(Pellidor({"rm", "Movies"}), "--yes");
    EXPECT_TRUE(fs::exists(catDir + "/Movies/a.pld"));
    EXPECT_EQ(Pellidor({"rm", "--yes", "Movies/Holiday"}).status, 0);
    EXPECT_FALSE(fs::exists(catDir + "/Movies/a.pld"));
    EXPECT_TRUE(fs::exists(TestRoot() + "/data/Trash/files/a.pld"));
    ExpectOneLineError(Pellidor({"rm", "--yes", "Nowhere"}), "Nowhere");
}

} // namespace
