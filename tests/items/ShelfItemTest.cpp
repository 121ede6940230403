// A catalog on the shelf: its columns and fallbacks, its information, its
// deletion, and the export file byte for byte.

#include "items/ShelfItem.h"
#include "items/ExportFile.h"
#include "items/TextHelpers.h"
#include "namespace/IdList.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/system/Errors.h"
#include "platform/ui/MessageBox.h"
#include "tests/items/ShelfTestCatalogs.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;
using platform::com::MakeCom;
namespace fs = std::filesystem;

namespace {

class ShelfItemTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::ui::SetMessageBoxHook([this](std::string_view text, std::string_view caption, UINT type) {
            boxes.push_back(std::string(caption) + ": " + std::string(text));
            return (type & 0xF) == platform::ui::MB_YESNO ? answer : platform::ui::IDOK_;
        });
    }
    void TearDown() override
    {
        platform::ui::SetMessageBoxHook(nullptr);
        CShelfItem::SetSaveFileChooser(nullptr);
    }
    ComPtr<CShelfItem> Item(const std::string& path) { return MakeCom<CShelfItem>(AsIdList(root), FindDataFor(path)); }
    std::string Line(const std::string& name, const std::string& size, const std::string& path)
    {
        const std::string date = FormatDateText(1000000000);
        return "\"" + name + "\";\"" + size + "\";\"" + date + "\";\"" + date + "\";\"" + date + "\";\"" + path
            + "\"\r\n";
    }

    std::vector<BYTE> root = ShellRootIdList();
    std::vector<std::string> boxes;
    int answer = platform::ui::IDYES;
    const std::string header = std::string(kExportHeaderLine) + "\r\n";
};

TEST_F(ShelfItemTest, ColumnsComeFromTheCatalogHeader)
{
    TestVolume volume;
    volume.userName = "Holiday   ";
    volume.label = "CD_2001";
    volume.totalBytes = 1073741825;
    volume.freeBytes = 1073741824;
    volume.content = "Photos";
    const auto item = Item(WriteCatalog(TestPath("c.pld"), volume, {}));
    EXPECT_EQ(item->GetColumnText(0, false), "Holiday");
    EXPECT_EQ(item->GetColumnText(1, false), "CD_2001");
    EXPECT_EQ(item->GetColumnText(2, false), "CDROM");
    // Whole megabytes rounded down up to 1024 of them: both are 1024 MB.
    EXPECT_EQ(item->GetColumnText(3, false), "1024 MB");
    EXPECT_EQ(item->GetColumnText(4, false), "1024 MB");
    EXPECT_EQ(item->GetColumnText(3, true), "0000000040000001");
    EXPECT_EQ(item->GetColumnText(5, false), FormatDateText(1000000000));
    EXPECT_EQ(item->GetColumnText(5, true), "3B9ACA00");
    EXPECT_EQ(item->GetColumnText(6, false), "Photos");
    EXPECT_EQ(item->FileSystemName(), "CDFS");
    EXPECT_EQ(item->VolumeSerial(), 0x12345678u);
}

TEST_F(ShelfItemTest, OneGigabyteStartsWhereTheMegabytesEnd)
{
    TestVolume volume;
    volume.totalBytes = 1074789376; // 1 048 576 KB: 1024 MB
    volume.freeBytes = 1074789377; // 1 048 577 KB: 1025 MB, so GB
    const auto item = Item(WriteCatalog(TestPath("c.pld"), volume, {}));
    EXPECT_EQ(item->GetColumnText(3, false), "1024 MB");
    EXPECT_EQ(item->GetColumnText(4, false), "1 GB");
}

TEST_F(ShelfItemTest, UnopenableCatalogIsListedWithTheFallbacks)
{
    const std::string path = TestPath("broken.pld");
    WriteFile(path, "not a catalog at all");
    const auto item = Item(path);
    EXPECT_EQ(item->GetColumnText(0, false), "<unknown>");
    EXPECT_EQ(item->GetColumnText(1, false), "<unknown>");
    EXPECT_EQ(item->GetColumnText(2, false), "UNKNOWN");
    EXPECT_EQ(item->GetColumnText(3, false), "0 KB");
    EXPECT_EQ(item->GetColumnText(4, false), "0 KB");
    EXPECT_EQ(item->GetColumnText(5, false), "");
    EXPECT_EQ(item->GetColumnText(6, false), "Unable to open the catalog file.");
    EXPECT_EQ(item->FileSystemName(), "<unknown>");
    EXPECT_EQ(item->VolumeSerial(), 0u);
    EXPECT_EQ(item->GetPath(), path);
    EXPECT_TRUE(item->LoadChildren(false));
    EXPECT_EQ(item->GetChildCount(), 0);
}

TEST_F(ShelfItemTest, IdentifierIsACatalogElementOfTheRootList)
{
    const std::string path = WriteCatalog(TestPath("c.pld"), TestVolume{}, {});
    const auto item = Item(path);
    const IdListPtr last(item->GetLastID());
    EXPECT_EQ(ElementSize(last.get()), kCatalogElementSize);
    EXPECT_EQ(ElementKind(last.get()), kKindCatalog);
    const CatRecord record = ElementRecord(last.get());
    EXPECT_EQ(record.Size, kRootList);
    EXPECT_NE(record.Attributes & kAttrDirectory, 0u);
    EXPECT_EQ(ElementName(last.get()), path);
    ULONG mask = 0xFFFFFFFF;
    EXPECT_EQ(item->GetShellAttributes(&mask), S_OK);
    EXPECT_EQ(mask, 0xA0000006u);
    EXPECT_TRUE(item->IsFolder());
    EXPECT_EQ(item->GetSortGroup(), 2);

    // Made again from that identifier, the item is the same catalog.
    const IdListPtr own(CopyIdList(item->OwnIdList()));
    const auto bound = MakeCom<CShelfItem>(AsIdList(root), own.get());
    EXPECT_EQ(bound->GetName(), "Volume");
    EXPECT_EQ(bound->Size(), kRootList);
}

TEST_F(ShelfItemTest, OwnIconAndNoInfoTips)
{
    const std::string path = WriteCatalog(TestPath("c.pld"), TestVolume{}, {});
    const auto item = Item(path);
    char file[300] = {};
    int index = -1;
    UINT flags = 0;
    EXPECT_EQ(item->GetIconLocation(0, file, sizeof file, &index, &flags), S_OK);
    EXPECT_EQ(std::string(file), path);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(flags, GIL_NOTFILENAME);
    ComPtr<IQueryInfo> info;
    ASSERT_EQ(item->QueryInterface(IQueryInfo::kIid, info.ReceiveVoid()), S_OK);
    WCHAR* tip = nullptr;
    EXPECT_EQ(info->GetInfoTip(0, &tip), E_NOTIMPL);
    DWORD infoFlags = 0;
    EXPECT_EQ(info->GetInfoFlags(&infoFlags), E_NOTIMPL);
}

TEST_F(ShelfItemTest, ExportOfAnEmptyVolumeIsTheHeaderLineAlone)
{
    const auto item = Item(WriteCatalog(TestPath("c.pld"), TestVolume{}, {}));
    const std::string out = TestPath("out.txt");
    DWORD error = 99;
    EXPECT_TRUE(item->ExportToFile(out, &error));
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(ReadFile(out), header);
}

TEST_F(ShelfItemTest, ExportWritesEveryFileDepthFirstWithCrLfAndUnsignedSizes)
{
    const auto item = Item(WriteCatalog(TestPath("c.pld"), TestVolume{},
        {File("first.txt", 0), Folder("Docs", {Folder("Sub", {File("deep.iso", 0xFFFFFFFFu)}), File("a.doc", 7)}),
            File("hidden.sys", 2147483648u, kAttrHidden | kAttrSystem), Folder("Empty", {}, false)}));
    const std::string out = TestPath("out.txt");
    WriteFile(out, std::string(5000, 'x')); // replaced, not overwritten in place
    EXPECT_TRUE(item->ExportToFile(out, nullptr));
    EXPECT_EQ(ReadFile(out),
        header + Line("first.txt", "0", "") + Line("deep.iso", "4294967295", "Docs\\Sub") + Line("a.doc", "7", "Docs")
            + Line("hidden.sys", "2147483648", ""));
}

TEST_F(ShelfItemTest, ExportCommandWritesTheChosenFileAndReportsFileErrors)
{
    const auto item = Item(WriteCatalog(TestPath("c.pld"), TestVolume{}, {File("a", 1)}));
    const std::string out = TestPath("chosen.txt");
    std::string chosen = out;
    CShelfItem::SetSaveFileChooser([&](HWND) { return std::optional<std::string>(chosen); });
    CMINVOKECOMMANDINFO info;
    EXPECT_EQ(item->OnExport(&info), S_OK);
    EXPECT_EQ(ReadFile(out), header + Line("a", "1", ""));
    EXPECT_TRUE(boxes.empty());

    chosen = TestRoot() + "/missing/dir/out.txt";
    EXPECT_EQ(item->OnExport(&info), S_OK);
    ASSERT_EQ(boxes.size(), 1u);
    // A missing directory is a bad path, as the file-error table has it.
    EXPECT_EQ(boxes[0], "Pellidor: " + chosen + " contains an invalid path.");

    CShelfItem::SetSaveFileChooser([](HWND) { return std::optional<std::string>(); });
    fs::remove(out);
    EXPECT_EQ(item->OnExport(&info), S_OK); // cancelled: nothing written, nothing said
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(boxes.size(), 1u);
}

TEST(ExportFileErrorTest, EachCauseHasItsFileErrorString)
{
    namespace sys = platform::system;
    const std::pair<DWORD, UINT> cases[] = {{sys::ERROR_FILE_NOT_FOUND, 61858}, {sys::ERROR_PATH_NOT_FOUND, 61859},
        {sys::ERROR_TOO_MANY_OPEN_FILES, 61860}, {sys::ERROR_ACCESS_DENIED, 61861}, {sys::ERROR_INVALID_HANDLE, 61862},
        {sys::ERROR_WRITE_FAULT, 61866}, {sys::ERROR_SHARING_VIOLATION, 61867}, {sys::ERROR_LOCK_VIOLATION, 61868},
        {sys::ERROR_DISK_FULL, 61869}, {sys::ERROR_HANDLE_EOF, 61870}, {sys::ERROR_BUSY, 61857}};
    for (const auto& [error, id] : cases)
        EXPECT_EQ(FileErrorStringId(error), id) << error;
    EXPECT_EQ(FileErrorText(sys::ERROR_DISK_FULL, "/x/out.txt"), "Disk full while accessing /x/out.txt.");
}

TEST_F(ShelfItemTest, SetInformationStoresNameAndContentAndAnnouncesIt)
{
    int notifications = 0;
    platform::shell::ScopedChangeObserver observer(
        [&](LONG, const std::vector<BYTE>&, const std::vector<BYTE>&) { ++notifications; });
    TestVolume volume;
    volume.content = "old content";
    const std::string path = WriteCatalog(TestPath("c.pld"), volume, {File("a", 1)});
    EXPECT_TRUE(Item(path)->SetInformation(std::string(300, 'n'), std::nullopt));
    EXPECT_GE(notifications, 1);
    auto reread = Item(path);
    EXPECT_EQ(reread->GetName(), std::string(255, 'n'));
    EXPECT_EQ(reread->CatalogContent(), "old content");
    EXPECT_TRUE(reread->SetInformation(std::nullopt, std::string("new")));
    reread = Item(path);
    EXPECT_EQ(reread->CatalogContent(), "new");
    EXPECT_TRUE(reread->LoadChildren(false));
    EXPECT_EQ(reread->GetChildCount(), 1); // the lists are untouched

    notifications = 0;
    const std::string broken = TestPath("broken.pld");
    WriteFile(broken, "junk");
    EXPECT_FALSE(Item(broken)->SetInformation(std::string("x"), std::nullopt));
    EXPECT_EQ(ReadFile(broken), "junk");
    EXPECT_EQ(notifications, 0);
}

TEST_F(ShelfItemTest, DeleteSendsTheCatalogToTheTrashOnlyWhenConfirmed)
{
    const std::string path = WriteCatalog(TestPath("shelf/c.pld"), TestVolume{}, {});
    const auto item = Item(path);
    CMINVOKECOMMANDINFO info;
    answer = platform::ui::IDNO;
    EXPECT_EQ(item->OnDelete(&info), S_OK);
    EXPECT_TRUE(fs::exists(path));
    answer = platform::ui::IDYES;
    EXPECT_EQ(item->OnDelete(&info), S_OK);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(TestRoot() + "/data/Trash/files/c.pld"));
}

} // namespace
