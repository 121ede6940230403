#include "ItemFixture.h"

#include "items/CatItem.h"
#include "items/TextHelpers.h"
#include "platform/shell/Execute.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstdlib>
#include <ctime>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;
using platform::ui::Menu;

namespace {

constexpr DWORD kSerial = 0x1234ABCD;

// Dates are checked in UTC, whatever the machine's zone.
class CatItemTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        platform::shell::SetExecuteHook(nullptr);
        platform::ui::SetMessageBoxHook(nullptr);
    }

    static ComPtr<CCatItem> File(
        const std::string& name, DWORD size = 0, DWORD attributes = kAttrArchive, std::int32_t writeTime = 0)
    {
        return MakeItem({{kKindCatalog, "/cat/0000ABCD.pld", kAttrDirectory, kRootList},
                            {kKindFolder, "docs", kAttrDirectory, 500}, {kKindFile, name, attributes, size, writeTime}},
            MakeHeader(kSerial, "Holidays  "));
    }
    static ComPtr<CCatItem> Folder(const std::string& name)
    {
        return MakeItem(
            {{kKindCatalog, "/cat/0000ABCD.pld", kAttrDirectory, kRootList}, {kKindFolder, name, kAttrDirectory, 700}},
            MakeHeader(kSerial, "Holidays"));
    }
};

// Stands for the folder class until it exists: a folder sorts in group 1.
class GroupedItem : public CCatItem {
public:
    GroupedItem(LPCITEMIDLIST root, LPCITEMIDLIST own, int group) : CCatItem(root, own), group_(group) { }
    int GetSortGroup() override { return group_; }

private:
    int group_;
};

struct LineCollector : IExportWriter {
    virtual ~LineCollector() = default;
    std::vector<std::string> lines;
    void WriteLine(std::string_view line) override { lines.emplace_back(line); }
};

} // namespace

// --- Construction and the catalog ---

TEST_F(CatItemTest, ItemWithoutIdentifierIsEmptyAndHasNoCatalog)
{
    auto item = platform::com::MakeCom<CCatItem>();
    EXPECT_EQ(item->GetName(), "");
    EXPECT_EQ(item->Attributes(), 0u);
    EXPECT_EQ(item->VolumeSerial(), 0xFFFFFFFFu);
    EXPECT_EQ(item->CatalogTime(), -1);
    EXPECT_EQ(static_cast<std::int64_t>(item->TotalBytes()), -1);
    EXPECT_EQ(FormatByteSize(static_cast<std::int64_t>(item->TotalBytes())), "0 KB");
    EXPECT_EQ(item->CatalogPath(), "");
    EXPECT_EQ(item->CatalogUserName(), "<no name>");
    EXPECT_EQ(item->DriveTypeText(), "");
    EXPECT_EQ(item->GetFolderText(), "");
    EXPECT_EQ(item->GetPathOnMedium("/media/cd"), "");
}

TEST_F(CatItemTest, RecordAndCatalogValuesComeFromTheOwnList)
{
    CatHeader header = MakeHeader(kSerial, "Holidays   ");
    header.TotalBytes = 1073741824;
    header.DriveType = 2;
    const auto item = MakeItem({{kKindShelfFolder, "/cat/sub"}, {kKindShelfFolder, "/cat/sub/inner"},
                                   {kKindCatalog, "/cat/sub/inner/0000ABCD.pld", kAttrDirectory, kRootList},
                                   {kKindFolder, "a", kAttrDirectory}, {kKindFolder, "b", kAttrDirectory},
                                   {kKindFile, "x.txt", kAttrArchive, 77}},
        header);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->GetName(), "x.txt");
    EXPECT_EQ(item->Size(), 77u);
    EXPECT_EQ(item->VolumeSerial(), kSerial);
    EXPECT_EQ(item->CatalogPath(), "/cat/sub/inner/0000ABCD.pld");
    EXPECT_EQ(item->CatalogUserName(), "Holidays");
    EXPECT_EQ(item->CatalogVolumeLabel(), "DISC");
    EXPECT_EQ(item->DriveTypeText(), "REMOVABLE");
    EXPECT_EQ(FormatByteSize(static_cast<std::int64_t>(item->TotalBytes())), "1024 MB");
    EXPECT_EQ(item->GetFolderText(), "a\\b");
    EXPECT_EQ(item->GetPathOnMedium("/media/cd/"), "/media/cd/a/b/x.txt");
    EXPECT_EQ(item->GetPathOnMedium("/"), "/a/b/x.txt");
}

TEST_F(CatItemTest, SecondConstructionFormAppendsAnElementForTheRecord)
{
    const IdListPtr parent = BuildList({{kKindCatalog, "/c.pld"}, {kKindFolder, "d"}}, MakeHeader(1, "U"));
    const CatRecord record = MakeRecord({kKindFile, "new.txt", 0, 5});
    auto item = platform::com::MakeCom<CCatItem>(nullptr, parent.get(), &record, kKindFile);
    EXPECT_EQ(item->GetName(), "new.txt");
    EXPECT_EQ(item->GetFolderText(), "d");
    EXPECT_EQ(IdListSize(item->OwnIdList()), 1104u + 288 + 288 + 2);
}

TEST_F(CatItemTest, FullListJoinsRootAndOwnAndLastIdIsTheLastElementAlone)
{
    const long before = platform::com::TaskMemLiveBlocks();
    {
        const auto item = File("a.txt");
        const IdListPtr full(item->GetFullIDList());
        const IdListPtr last(item->GetLastID());
        EXPECT_EQ(IdListSize(full.get()), 20u + 1104 + 288 + 288 + 2);
        EXPECT_EQ(IdListSize(last.get()), 290u);
        EXPECT_EQ(ElementName(last.get()), "a.txt");
    }
    EXPECT_EQ(platform::com::TaskMemLiveBlocks(), before);
}

// Names from a catalog are untrusted: none may lead out of the drive root.
TEST_F(CatItemTest, UnsafeNamesMakeNoPathOnTheMedium)
{
    for (const char* name : {"..", ".", "", "a/../../etc", "/etc"}) {
        const auto file = File(name);
        EXPECT_EQ(file->GetPathOnMedium("/media/cd"), "") << name;
        const auto inFolder = MakeItem(
            {{kKindCatalog, "/c.pld"}, {kKindFolder, name}, {kKindFile, "passwd"}}, MakeHeader(kSerial, "U"));
        EXPECT_EQ(inFolder->GetPathOnMedium("/media/cd"), "") << name;
    }
}

TEST_F(CatItemTest, UnsafeNameIsNotPresentEvenWhenItsTargetExists)
{
    const std::string cd = TestPath("cd");
    QDir().mkpath(QString::fromStdString(cd + "/docs"));
    WriteFile(cd + "/docs/readme.txt", "x");
    WriteFile(TestRoot() + "/drives.table", cd + "\t5\tDISC\t1234ABCD\tiso9660\t100\t0\n");
    EXPECT_TRUE(File("readme.txt")->IsMediumPresent(cd));
    // ".." would name the drive root's parent, which exists.
    EXPECT_FALSE(File("..")->IsMediumPresent(cd));
    EXPECT_FALSE(File("missing.txt")->IsMediumPresent(cd));
    const auto otherDisc = MakeItem(
        {{kKindCatalog, "/c.pld"}, {kKindFolder, "docs"}, {kKindFile, "readme.txt"}}, MakeHeader(0x0BADF00D, "U"));
    EXPECT_FALSE(otherDisc->IsMediumPresent(cd));
}

TEST_F(CatItemTest, HiddenItemsAreNeverEnumerated)
{
    const auto hidden = File("h", 0, kAttrHidden);
    EXPECT_FALSE(hidden->IsIncludedInEnum(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN));
    const auto file = File("f");
    EXPECT_TRUE(file->IsIncludedInEnum(SHCONTF_NONFOLDERS));
    EXPECT_FALSE(file->IsIncludedInEnum(SHCONTF_FOLDERS));
    const auto folder = Folder("d");
    EXPECT_TRUE(folder->IsIncludedInEnum(SHCONTF_FOLDERS));
    EXPECT_FALSE(folder->IsIncludedInEnum(SHCONTF_NONFOLDERS));
}

// --- Columns and order ---

struct SizeCase {
    DWORD bytes;
    const char* text;
    const char* key;
};

class CatItemSizeColumn : public CatItemTest, public testing::WithParamInterface<SizeCase> { };

TEST_P(CatItemSizeColumn, ShowsKilobytesRoundedUpAndSortsByHex)
{
    const auto item = File("f.bin", GetParam().bytes);
    EXPECT_EQ(item->GetColumnText(kColumnSize, false), GetParam().text);
    EXPECT_EQ(item->GetColumnText(kColumnSize, true), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CatItemSizeColumn,
    testing::Values(SizeCase{0, "0 KB", "00000000"}, SizeCase{1, "1 KB", "00000001"},
        SizeCase{1024, "1 KB", "00000400"}, SizeCase{1025, "2 KB", "00000401"},
        SizeCase{1048576, "1.024 KB", "00100000"}, SizeCase{0xFFFFFFFF, "4.194.304 KB", "FFFFFFFF"}));

TEST_F(CatItemTest, ColumnTextsOfAFile)
{
    // 2024-03-05 14:07:00 UTC
    const auto item
        = File("Report.unknownext", 10, kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive, 1709647620);
    EXPECT_EQ(item->GetColumnText(kColumnName, false), "Report.unknownext");
    EXPECT_EQ(item->GetColumnText(kColumnType, false), "<UNKNOWN>");
    EXPECT_EQ(item->GetColumnText(kColumnDate, false), "05.03.24 14:07");
    EXPECT_EQ(item->GetColumnText(kColumnDate, true), "65E72704");
    EXPECT_EQ(item->GetColumnText(kColumnAttributes, false), "RHSA");
    EXPECT_EQ(item->GetColumnText(kColumnAttributes, true), "RHSA");
    EXPECT_EQ(item->GetColumnText(kColumnVolume, false), "Holidays");
    EXPECT_EQ(item->GetColumnText(kColumnFolder, false), "docs");
    EXPECT_EQ(item->GetColumnText(kItemColumnCount, false), "");
    EXPECT_EQ(item->GetColumnText(-1, true), "");
}

TEST_F(CatItemTest, FolderHasNoSizeInEitherFormAndAFolderTypeName)
{
    const auto folder = Folder("Music");
    EXPECT_EQ(folder->GetColumnText(kColumnSize, false), "");
    EXPECT_EQ(folder->GetColumnText(kColumnSize, true), "");
    EXPECT_NE(folder->GetColumnText(kColumnType, false), "<UNKNOWN>");
    EXPECT_EQ(folder->GetColumnText(kColumnFolder, false), "");
}

TEST_F(CatItemTest, EveryFolderSortsBeforeEveryFileWhateverTheColumn)
{
    const IdListPtr fileList = BuildList({{kKindCatalog, "/c.pld"}, {kKindFile, "aaa", 0, 1}}, MakeHeader(1, "A"));
    const IdListPtr folderList
        = BuildList({{kKindCatalog, "/c.pld"}, {kKindFolder, "zzz", kAttrDirectory, 0xFFFF}}, MakeHeader(1, "Z"));
    auto file = platform::com::MakeCom<GroupedItem>(nullptr, fileList.get(), 0);
    auto folder = platform::com::MakeCom<GroupedItem>(nullptr, folderList.get(), 1);
    for (int column = 0; column < kItemColumnCount; ++column) {
        EXPECT_LT(folder->CompareTo(*file, column), 0) << column;
        EXPECT_GT(file->CompareTo(*folder, column), 0) << column;
    }
}

TEST_F(CatItemTest, WithinAGroupTheColumnsSortKeyDecidesWithoutCase)
{
    const auto small = File("B.txt", 2047);
    const auto big = File("a.txt", 2048);
    EXPECT_LT(small->CompareTo(*big, kColumnSize), 0);
    EXPECT_GT(small->CompareTo(*big, kColumnName), 0);
    EXPECT_EQ(File("Same")->CompareTo(*File("sAME"), kColumnName), 0);
    // Folders have an empty size key: equal, so their group order stands.
    EXPECT_EQ(Folder("a")->CompareTo(*Folder("b"), kColumnSize), 0);
    // Hex keys order by value: 0x0000FFFF before 0x00010000.
    EXPECT_LT(File("x", 0xFFFF)->CompareTo(*File("x", 0x10000), kColumnSize), 0);
}

// --- Shell questions ---

TEST_F(CatItemTest, ShellAttributesOfferOnlyReadOnlyAndFolderFlags)
{
    ULONG mask = 0xFFFFFFFF;
    EXPECT_EQ(File("f", 0, kAttrReadOnly)->GetShellAttributes(&mask), S_OK);
    EXPECT_EQ(mask, SFGAO_READONLY);
    mask = 0xFFFFFFFF;
    Folder("d")->GetShellAttributes(&mask);
    EXPECT_EQ(mask, 0xA8000000u);
    mask = SFGAO_CANCOPY | SFGAO_FOLDER;
    Folder("d")->GetShellAttributes(&mask);
    EXPECT_EQ(mask, SFGAO_FOLDER);
    mask = 0xFFFFFFFF;
    File("f")->GetShellAttributes(&mask);
    EXPECT_EQ(mask, 0u);
}

TEST_F(CatItemTest, DisplayNameIsTheNameAsNarrowTextWhateverTheFlags)
{
    STRRET name;
    EXPECT_EQ(File("a.txt")->GetDisplayName(SHGDN_FORPARSING, &name), S_OK);
    EXPECT_EQ(name.uType, STRRET_CSTR);
    EXPECT_STREQ(name.cStr, "a.txt");
}

TEST_F(CatItemTest, IconLocationNamesShellFoldersOrAsksForExtract)
{
    char file[260];
    int index = -1;
    UINT flags = 99;
    Folder("d")->GetIconLocation(0, file, sizeof file, &index, &flags);
    EXPECT_STREQ(file, "SHELL32.DLL");
    EXPECT_EQ(index, 3);
    EXPECT_EQ(flags, 0u);
    Folder("d")->GetIconLocation(GIL_OPENICON, file, sizeof file, &index, &flags);
    EXPECT_EQ(index, 4);
    File("a.txt")->GetIconLocation(0, file, 4, &index, &flags);
    EXPECT_STREQ(file, "a.t"); // truncated to the buffer
    EXPECT_EQ(index, 0);
    EXPECT_EQ(flags, GIL_NOTFILENAME);
}

TEST_F(CatItemTest, DropSourceFollowsEscapeAndTheLeftButton)
{
    const auto item = File("a");
    EXPECT_EQ(item->QueryContinueDrag(TRUE_, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(item->QueryContinueDrag(FALSE_, MK_LBUTTON), S_OK);
    EXPECT_EQ(item->QueryContinueDrag(FALSE_, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(item->GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST_F(CatItemTest, StatisticsCountTheFileAndItsSize)
{
    ItemStatistics statistics;
    File("a", 100)->AddToStatistics(statistics);
    File("b", 0xFFFFFFFF)->AddToStatistics(statistics);
    EXPECT_EQ(statistics.Files, 2);
    EXPECT_EQ(statistics.TotalSize, 100u + 0xFFFFFFFFull);
}

TEST_F(CatItemTest, ExportLineQuotesEveryFieldAndKeepsLargeSizesUnsigned)
{
    LineCollector writer;
    File("big.iso", 0xC0000000, kAttrArchive, 1709647620)->Export(writer);
    MakeItem({{kKindCatalog, "/c.pld"}, {kKindFile, "root.txt", 0, 3, -1}}, MakeHeader(1, "U"))->Export(writer);
    ASSERT_EQ(writer.lines.size(), 2u);
    EXPECT_EQ(writer.lines[0],
        "\"big.iso\";\"3221225472\";\"05.03.24 14:07\";\"05.03.24 14:07\";\"05.03.24 14:07\";\"docs\"");
    EXPECT_EQ(writer.lines[1], "\"root.txt\";\"3\";\"\";\"\";\"\";\"\"");
}

// --- Context menu ---

namespace {

struct Shown {
    std::string text;
    UINT id;
};

std::vector<Shown> Items(const Menu& menu)
{
    std::vector<Shown> items;
    for (int i = 0; i < menu.GetItemCount(); ++i) {
        const auto* item = menu.GetItem(i);
        items.push_back({item->IsSeparator() ? std::string("-") : item->text, item->id});
    }
    return items;
}

std::vector<std::string> Texts(const Menu& menu)
{
    std::vector<std::string> texts;
    for (const Shown& shown : Items(menu))
        texts.push_back(shown.text);
    return texts;
}

} // namespace

TEST_F(CatItemTest, FileMenuIsMergedReversedAtThePositionWithOffsetIds)
{
    Menu menu;
    menu.AppendString(1, "Before");
    menu.AppendString(2, "After");
    const HRESULT result = File("a.txt")->QueryContextMenu(&menu, 1, 100, 200, CMF_NORMAL);
    EXPECT_EQ(result, 30); // highest id 129 - 100 + 1
    EXPECT_EQ(Texts(menu),
        (std::vector<std::string>{"Before", "&Open", "-", "P&roperties", "-", "&Add To Favorites...", "After"}));
    EXPECT_EQ(menu.GetItemID(1), 122u);
    EXPECT_EQ(menu.GetItemID(3), 125u);
    EXPECT_EQ(menu.GetItemID(5), 129u);
    EXPECT_EQ(menu.GetDefaultItem(false), 122u);
}

TEST_F(CatItemTest, EachKindsMenuShowsItsItemsTopToBottom)
{
    struct Kind : public CCatItem {
        explicit Kind(UINT menuId) : menuId_(menuId) { }
        UINT GetMenuID() override { return menuId_; }
        UINT menuId_;
    };
    const std::vector<std::pair<UINT, std::vector<std::string>>> menus = {
        {1014, {"E&xplore", "&Open", "-", "P&roperties", "-", "&Add To Favorites..."}},
        {1013, {"E&xplore", "&Open", "&Delete", "Export...", "-", "P&roperties", "-", "&Add To Favorites..."}},
        {1034, {"E&xplore", "&Open", "&Delete", "&Rename", "-", "&Add To Favorites..."}},
    };
    for (const auto& [id, texts] : menus) {
        Menu menu;
        auto item = platform::com::MakeCom<Kind>(id);
        EXPECT_GT(item->QueryContextMenu(&menu, 0, 1, 1000, CMF_NORMAL), 0) << id;
        EXPECT_EQ(Texts(menu), texts) << id;
        EXPECT_EQ(menu.GetDefaultItem(false), 23u) << id;
    }
}

TEST_F(CatItemTest, DefaultOnlyRequestMergesOnlyOpenAndSetsNoDefault)
{
    Menu menu;
    EXPECT_EQ(Folder("d")->QueryContextMenu(&menu, 0, 50, 100, CMF_DEFAULTONLY), 23);
    EXPECT_EQ(Texts(menu), std::vector<std::string>{"&Open"});
    EXPECT_EQ(menu.GetDefaultItem(false), platform::ui::kNoItem);
}

TEST_F(CatItemTest, NoDefaultFlagLeavesTheDefaultUnset)
{
    Menu menu;
    File("a")->QueryContextMenu(&menu, 0, 0, 100, CMF_NODEFAULT);
    EXPECT_EQ(menu.GetItemCount(), 5);
    EXPECT_EQ(menu.GetDefaultItem(false), platform::ui::kNoItem);
}

TEST_F(CatItemTest, InvokeRefusesVerbsAndAnswersNotImplementedForOtherIds)
{
    const auto item = File("a");
    CMINVOKECOMMANDINFO info;
    info.lpVerb = "open";
    EXPECT_EQ(item->InvokeCommand(&info), E_INVALIDARG);
    EXPECT_EQ(item->InvokeCommand(nullptr), E_INVALIDARG);
    for (UINT id : {0u, 21u, 24u, 25u, 26u, 31u, 32u, 99u}) {
        info.lpVerb = MAKEINTRESOURCEA(id);
        EXPECT_EQ(item->InvokeCommand(&info), E_NOTIMPL) << id;
    }
}

TEST_F(CatItemTest, CommandStringsGiveTheRenameVerbAndHelpTextsTruncated)
{
    const auto item = File("a");
    char buffer[64];
    EXPECT_EQ(item->GetCommandString(32, GCS_VERBA, nullptr, buffer, sizeof buffer), S_OK);
    EXPECT_STREQ(buffer, "rename");
    EXPECT_EQ(item->GetCommandString(22, GCS_VERBA, nullptr, buffer, sizeof buffer), E_NOTIMPL);
    EXPECT_EQ(item->GetCommandString(25, GCS_HELPTEXTA, nullptr, buffer, 9), S_OK);
    EXPECT_STREQ(buffer, "Displays");
    WCHAR wide[32];
    EXPECT_EQ(item->GetCommandString(32, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 4), S_OK);
    EXPECT_EQ(std::u16string(wide), u"ren");
    EXPECT_EQ(item->GetCommandString(22, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 32), S_OK);
    EXPECT_EQ(std::u16string(wide), u"Open");
    EXPECT_EQ(item->GetCommandString(32, GCS_HELPTEXTA, nullptr, buffer, sizeof buffer), S_FALSE);
    EXPECT_EQ(item->GetCommandString(22, 2, nullptr, buffer, sizeof buffer), E_NOTIMPL);
}

// --- Opening a catalogued file ---

class CatItemOpenTest : public CatItemTest {
protected:
    void SetUp() override
    {
        CatItemTest::SetUp();
        cd_ = TestPath("cd");
        QDir().mkpath(QString::fromStdString(cd_ + "/docs"));
        WriteFile(cd_ + "/docs/readme.txt", "x");
        // A fixed drive first, which is never searched, then the disc.
        WriteFile(TestRoot() + "/drives.table",
            TestPath("hd") + "\t3\tHD\t1234ABCD\text4\t100\t0\n" + cd_ + "\t5\tDISC\t1234ABCD\tiso9660\t100\t0\n");
        platform::shell::SetExecuteHook([this](const platform::shell::ExecuteRequest& request) {
            requests_.push_back(request);
            return answer_;
        });
        platform::ui::SetMessageBoxHook([this](std::string_view text, std::string_view, UINT type) {
            boxes_.emplace_back(text);
            boxType_ = type;
            return platform::ui::IDOK_;
        });
    }

    std::string cd_;
    int answer_ = platform::shell::kExecuteOk;
    std::vector<platform::shell::ExecuteRequest> requests_;
    std::vector<std::string> boxes_;
    UINT boxType_ = 0;
};

TEST_F(CatItemOpenTest, MediumInAnOpticalDriveIsOpenedWithoutAsking)
{
    DialogWatcher watcher;
    PromptRecorder prompt;
    CMINVOKECOMMANDINFO info;
    info.lpVerb = MAKEINTRESOURCEA(22);
    EXPECT_EQ(File("readme.txt")->InvokeCommand(&info), S_OK);
    EXPECT_EQ(watcher.Closed(), 0);
    EXPECT_TRUE(prompt.questions.empty());
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].file, cd_ + "/docs/readme.txt");
    EXPECT_EQ(requests_[0].verb, "");
    EXPECT_EQ(requests_[0].show, SW_SHOWNORMAL);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(CatItemOpenTest, FailedOpenShowsTheErrorWithPathAndNumber)
{
    answer_ = platform::shell::SE_ERR_NOASSOC;
    CMINVOKECOMMANDINFO info;
    info.lpVerb = MAKEINTRESOURCEA(22);
    EXPECT_EQ(File("readme.txt")->InvokeCommand(&info), E_NOTIMPL);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Error 31 occurred during open file " + cd_ + "/docs/readme.txt.");
    EXPECT_EQ(boxType_ & 0xF0, platform::ui::MB_ICONERROR);
}

TEST_F(CatItemOpenTest, CancelledMediumSearchOpensNothing)
{
    PromptRecorder prompt;
    CMINVOKECOMMANDINFO info;
    info.lpVerb = MAKEINTRESOURCEA(22);
    EXPECT_EQ(File("not-on-disc.txt")->InvokeCommand(&info), E_NOTIMPL);
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"not-on-disc.txt"});
    EXPECT_TRUE(requests_.empty());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(CatItemOpenTest, FileIsOpenedOnTheDriveTheUserConfirmed)
{
    const std::string stick = TestPath("stick");
    PromptRecorder prompt(stick);
    CMINVOKECOMMANDINFO info;
    info.lpVerb = MAKEINTRESOURCEA(22);
    EXPECT_EQ(File("not-on-disc.txt")->InvokeCommand(&info), S_OK);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].file, stick + "/docs/not-on-disc.txt");
}

TEST_F(CatItemOpenTest, WithNobodyToAskAMediumInNoOpticalDriveIsNotFound)
{
    DialogWatcher watcher;
    CMINVOKECOMMANDINFO info;
    info.lpVerb = MAKEINTRESOURCEA(22);
    EXPECT_EQ(File("not-on-disc.txt")->InvokeCommand(&info), E_NOTIMPL);
    EXPECT_EQ(watcher.Closed(), 0);
    EXPECT_TRUE(requests_.empty());
    EXPECT_TRUE(boxes_.empty());
}
