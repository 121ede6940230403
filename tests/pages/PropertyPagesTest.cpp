// The property sheets of catalogued files, folders and catalogs, opened by
// the items' Properties commands and read off the real sheet's controls.

#include "catalog/CatFile.h"
#include "items/ShelfItem.h"
#include "items/TextHelpers.h"
#include "module/ChangeNotify.h"
#include "pages/CatalogInfoDialog.h"
#include "pages/DialogControls.h"
#include "pages/ItemPage.h"
#include "pages/ItemPropertySheet.h"
#include "pages/PageVolume.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/system/Errors.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/PropertySheet.h"
#include "tests/items/ShelfTestCatalogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <functional>
#include <vector>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;
using platform::ui::PropertySheet;

namespace {

// Hands every window of type T to `onShown` once its modal loop runs, then
// rejects it if it is still open, so a test never hangs on a window.
template <class T>
class ShownSpy : public QObject {
public:
    explicit ShownSpy(std::function<void(T&)> onShown) : onShown_(std::move(onShown))
    {
        qApp->installEventFilter(this);
    }
    ~ShownSpy() override { qApp->removeEventFilter(this); }
    int Shown() const { return shown_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = dynamic_cast<T*>(watched);
        if (window != nullptr && event->type() == QEvent::Show) {
            ++shown_;
            QMetaObject::invokeMethod(
                window,
                [this, window] {
                    onShown_(*window);
                    if (window->isVisible())
                        window->reject();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void(T&)> onShown_;
    int shown_ = 0;
};

QString Shown(const QWidget& page, int id)
{
    if (auto* label = Control<QLabel>(&page, id))
        return label->text();
    return QStringLiteral("<no control %1>").arg(id);
}

bool ShowsBitmap(const QWidget& page, int id, const char* resource)
{
    auto* label = Control<QLabel>(&page, id);
    return label != nullptr
        && label->pixmap().toImage()
        == QImage(QString::fromUtf8(resource)).convertToFormat(label->pixmap().toImage().format());
}

constexpr std::uint32_t kMaxSize = 0xFFFFFFFF;

class PropertyPagesTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetPropertySheetUi(&ItemPropertySheetUi());
        platform::ui::SetMessageBoxHook([this](std::string_view text, std::string_view, UINT) {
            boxes.emplace_back(text);
            return platform::ui::IDOK_;
        });
    }
    void TearDown() override
    {
        platform::ui::SetMessageBoxHook(nullptr);
        SetPropertySheetUi(nullptr);
    }

    ComPtr<CShelfItem> Catalog(const TestVolume& volume, const std::vector<TestEntry>& root)
    {
        path = WriteCatalog(TestPath("c.pld"), volume, root);
        return platform::com::MakeCom<CShelfItem>(AsIdList(shellRoot), FindDataFor(path));
    }
    // The child at `index` of `folder`, loaded.
    static CCatItem* Child(CCatItem* folder, int index)
    {
        auto* asFolder = dynamic_cast<CCatFolder*>(folder);
        if (asFolder == nullptr || !asFolder->LoadChildren(false) || index >= asFolder->GetChildCount())
            return nullptr;
        return asFolder->GetChild(index);
    }
    // Runs the Properties command of `item` and hands its sheet to `inspect`.
    int OpenSheet(CCatItem& item, const std::function<void(PropertySheet&)>& inspect)
    {
        ShownSpy<PropertySheet> spy(inspect);
        CMINVOKECOMMANDINFO info;
        info.lpVerb = MAKEINTRESOURCEA(25);
        EXPECT_EQ(item.InvokeCommand(&info), S_OK);
        return spy.Shown();
    }

    std::vector<BYTE> shellRoot = ShellRootIdList();
    std::string path;
    std::vector<std::string> boxes;
};

TEST_F(PropertyPagesTest, ReadOnlyHiddenFileShowsItsBoxesFiguresAndItsVolume)
{
    TestVolume volume;
    volume.userName = "Holidays";
    auto catalog = Catalog(volume, {Folder("docs", {File("secret.txt", 1234567, kAttrReadOnly | kAttrHidden)})});
    CCatItem* file = Child(Child(catalog.Get(), 0), 0);
    ASSERT_NE(file, nullptr);
    const int shown = OpenSheet(*file, [&](PropertySheet& sheet) {
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("secret.txt Properties"));
        ASSERT_EQ(sheet.PageCount(), 2);
        const QWidget& page = *sheet.Page(0);
        EXPECT_EQ(sheet.Page(0)->Caption(), QStringLiteral("File"));
        EXPECT_EQ(sheet.Page(1)->Caption(), QStringLiteral("Volume"));
        EXPECT_EQ(Shown(page, 1013), QStringLiteral("secret.txt"));
        EXPECT_EQ(Shown(page, 1015), QStringLiteral("docs"));
        EXPECT_EQ(Shown(page, 1016), QStringLiteral("1.234.567 Byte"));
        EXPECT_EQ(Shown(page, 1018), QString::fromStdString(FormatDateText(1000000000)));
        EXPECT_EQ(Shown(page, 1017), QStringLiteral("N/A"));
        EXPECT_FALSE(Control<QLabel>(&page, 1017)->isEnabled());
        EXPECT_TRUE(ShowsBitmap(page, kIdReadOnlyBox, ":/pellidor/images/1027.png"));
        EXPECT_TRUE(ShowsBitmap(page, kIdHiddenBox, ":/pellidor/images/1027.png"));
        EXPECT_TRUE(ShowsBitmap(page, kIdArchiveBox, ":/pellidor/images/1026.png"));
        EXPECT_TRUE(ShowsBitmap(page, kIdSystemBox, ":/pellidor/images/1026.png"));
        EXPECT_FALSE(Control<QLabel>(&page, kIdPageIcon)->pixmap().isNull());
        // The volume of the file, through a catalog item of its own.
        EXPECT_EQ(Shown(*sheet.Page(1), 1013), QStringLiteral("Holidays"));
        EXPECT_EQ(Shown(*sheet.Page(1), 1019), QString::fromStdString(path));
    });
    EXPECT_EQ(shown, 1);
}

struct SizeCase {
    std::uint32_t size;
    const char* text;
};

class FileSizeTest : public PropertyPagesTest, public testing::WithParamInterface<SizeCase> { };

TEST_P(FileSizeTest, SizeIsAGroupedNumberOfBytes)
{
    auto catalog = Catalog({}, {File("f.bin", GetParam().size)});
    QString text;
    OpenSheet(*Child(catalog.Get(), 0), [&](PropertySheet& sheet) { text = Shown(*sheet.Page(0), 1016); });
    EXPECT_EQ(text.toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileSizeTest,
    testing::Values(SizeCase{0, "0 Byte"}, SizeCase{999, "999 Byte"}, SizeCase{1000, "1.000 Byte"},
        SizeCase{kMaxSize, "4.294.967.295 Byte"}),
    // Named by the size: a test's name must be the same in every run.
    [](const testing::TestParamInfo<SizeCase>& sizeCase) { return "Size" + std::to_string(sizeCase.param.size); });

TEST_F(PropertyPagesTest, FolderCountsItselfAndEverythingBelowWithA64BitTotal)
{
    auto catalog = Catalog({},
        {Folder("big",
             {File("a", kMaxSize), File("b", kMaxSize), File("c", kMaxSize),
                 Folder("sub", {File("d", 0x80000000), File("e", 0x80000000)})}),
            Folder("empty", {})});
    QString content;
    QString size;
    OpenSheet(*Child(catalog.Get(), 0), [&](PropertySheet& sheet) {
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("big Properties"));
        EXPECT_EQ(sheet.Page(0)->Caption(), QStringLiteral("Folder"));
        content = Shown(*sheet.Page(0), 1024);
        size = Shown(*sheet.Page(0), 1016);
        EXPECT_EQ(Control<QLabel>(sheet.Page(0), 1019), nullptr); // no modified time
    });
    EXPECT_EQ(content, QStringLiteral("5 Files, 2 Folder"));
    // 3 × 4 294 967 295 + 2 × 2 147 483 648
    EXPECT_EQ(size, QStringLiteral("17.179.869.181 Byte"));

    OpenSheet(*Child(catalog.Get(), 1), [&](PropertySheet& sheet) {
        content = Shown(*sheet.Page(0), 1024);
        size = Shown(*sheet.Page(0), 1016);
    });
    EXPECT_EQ(content, QStringLiteral("0 Files, 1 Folder"));
    EXPECT_EQ(size, QStringLiteral("0 Byte"));
}

TEST_F(PropertyPagesTest, CatalogShowsTheVolumePageAloneWithItsTypeAndFileSize)
{
    TestVolume volume;
    volume.userName = "Backup";
    volume.label = "STICK";
    volume.fileSystem = "ext4";
    volume.driveType = 2;
    volume.content = "photos";
    volume.totalBytes = 8000000000;
    volume.freeBytes = 1234;
    auto catalog = Catalog(volume, {File("a", 1)});
    const auto fileSize = static_cast<std::uint64_t>(ReadFile(path).size());
    OpenSheet(*catalog, [&](PropertySheet& sheet) {
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Backup Properties"));
        ASSERT_EQ(sheet.PageCount(), 1);
        const QWidget& page = *sheet.Page(0);
        EXPECT_EQ(Shown(page, 1014), QStringLiteral("ext4, REMOVABLE"));
        EXPECT_EQ(Shown(page, 1029), QStringLiteral("8.000.000.000"));
        EXPECT_EQ(Shown(page, 1030), QStringLiteral("1.234"));
        EXPECT_EQ(Shown(page, 1023), QStringLiteral("photos"));
        EXPECT_EQ(Shown(page, 1028), QStringLiteral("STICK"));
        EXPECT_EQ(Shown(page, 1016), QString::fromStdString(ByteText(fileSize)));
        EXPECT_FALSE(page.windowIcon().isNull());
    });
}

TEST_F(PropertyPagesTest, VolumeTypeNamesWhatIsKnown)
{
    EXPECT_EQ(VolumeTypeText("ext4", "REMOVABLE"), "ext4, REMOVABLE");
    EXPECT_EQ(VolumeTypeText("", "CDROM"), "CDROM");
    EXPECT_EQ(VolumeTypeText("vfat", ""), "vfat");
}

// Settings on the volume page of `catalog`: `edit` fills the dialog and
// confirms or cancels it; answers the page's name and content afterwards.
class SettingsTest : public PropertyPagesTest {
protected:
    std::pair<QString, QString> RunSettings(CShelfItem& catalog, const std::function<void(CCatalogInfoDialog&)>& edit)
    {
        std::pair<QString, QString> after;
        ShownSpy<CCatalogInfoDialog> dialogs(edit);
        OpenSheet(catalog, [&](PropertySheet& sheet) {
            Control<QPushButton>(sheet.Page(0), 1048)->click();
            after = {Shown(*sheet.Page(0), 1013), Shown(*sheet.Page(0), 1023)};
        });
        EXPECT_EQ(dialogs.Shown(), 1);
        return after;
    }
    static void Enter(CCatalogInfoDialog& dialog, const char* name, const char* content)
    {
        Control<QLineEdit>(&dialog, 1049)->setText(QString::fromUtf8(name));
        Control<QPlainTextEdit>(&dialog, 1023)->setPlainText(QString::fromUtf8(content));
        Control<QPushButton>(&dialog, kIdOk)->click();
    }
    std::string StoredName() const
    {
        CCatFile file;
        return file.Open(path, CCatFile::OpenMode::Read) ? file.GetUserName() : "<cannot open>";
    }
};

TEST_F(SettingsTest, ConfirmedTextsAreStoredShownAndAnnounced)
{
    int notifications = 0;
    platform::shell::ScopedChangeObserver observer(
        [&](LONG, const std::vector<BYTE>&, const std::vector<BYTE>&) { ++notifications; });
    auto catalog = Catalog({}, {File("a", 1)});
    QString label;
    const auto after = RunSettings(*catalog, [&](CCatalogInfoDialog& dialog) {
        label = Control<QLabel>(&dialog, 1028)->text();
        Enter(dialog, "Renamed", "new content");
    });
    EXPECT_EQ(label, QStringLiteral("LABEL"));
    EXPECT_EQ(after, std::make_pair(QStringLiteral("Renamed"), QStringLiteral("new content")));
    EXPECT_EQ(StoredName(), "Renamed");
    EXPECT_GE(notifications, 1);
    EXPECT_TRUE(boxes.empty());
}

// A shelf view of another process is a window titled "#CatView#" there; the
// helper prints "message NAME" for each change message such a window gets.
TEST_F(SettingsTest, ConfirmedTextsReachTheViewsOfAnotherProcess)
{
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
        GTEST_SKIP() << "no session bus (DBUS_SESSION_BUS_ADDRESS unset); run under dbus-run-session";
    ASSERT_TRUE(platform::ui::ListenForBroadcasts());
    QProcess helper;
    helper.start(QString::fromStdString(BinDirectory() + "/pellidor_platform_helper"),
        {QStringLiteral("windows"), QStringLiteral("shelf||#CatView#"), QStringLiteral("sentinel||#Sentinel#")});
    QByteArray output;
    const auto read = [&](const char* wanted) {
        return QTest::qWaitFor(
                   [&] {
                       output += helper.readAllStandardOutput();
                       return output.contains(wanted) || helper.state() == QProcess::NotRunning;
                   },
                   30000)
            && output.contains(wanted);
    };
    ASSERT_TRUE(read("ready\n")) << output.toStdString();

    auto catalog = Catalog({}, {File("a", 1)});
    RunSettings(*catalog, [](CCatalogInfoDialog& dialog) { Enter(dialog, "Renamed", ""); });
    // The sentinel goes out after the change, so once it has arrived the
    // change message has had its chance.
    platform::ui::BroadcastRegisteredMessage(kChangeMessageName, "#Sentinel#");
    ASSERT_TRUE(read("message sentinel\n")) << output.toStdString();
    helper.closeWriteChannel();
    EXPECT_TRUE(helper.waitForFinished(30000));
    EXPECT_EQ(output.count("message shelf\n"), 1) << output.toStdString();
    EXPECT_EQ(StoredName(), "Renamed");
}

TEST_F(SettingsTest, NamelessCatalogStartsWithNoNameAndStoresItWhenConfirmed)
{
    TestVolume volume;
    volume.userName = "  ";
    auto catalog = Catalog(volume, {});
    QString startName;
    const auto after = RunSettings(*catalog, [&](CCatalogInfoDialog& dialog) {
        startName = Control<QLineEdit>(&dialog, 1049)->text();
        Control<QPushButton>(&dialog, kIdOk)->click();
    });
    EXPECT_EQ(startName, QStringLiteral("<no name>"));
    EXPECT_EQ(after.first, QStringLiteral("<no name>"));
    EXPECT_EQ(StoredName(), "<no name>");
}

TEST_F(SettingsTest, CancelChangesNothing)
{
    auto catalog = Catalog({}, {});
    const std::string before = ReadFile(path);
    const auto after = RunSettings(*catalog, [](CCatalogInfoDialog& dialog) {
        Control<QLineEdit>(&dialog, 1049)->setText(QStringLiteral("typed"));
        Control<QPushButton>(&dialog, kIdCancel)->click();
    });
    EXPECT_EQ(after.first, QStringLiteral("Volume"));
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(SettingsTest, FailedStoreIsShownAndThePageKeepsTheCatalogsTexts)
{
    int notifications = 0;
    platform::shell::ScopedChangeObserver observer(
        [&](LONG, const std::vector<BYTE>&, const std::vector<BYTE>&) { ++notifications; });
    TestVolume volume;
    volume.content = "old";
    auto catalog = Catalog(volume, {File("a", 1)});
    const std::string before = ReadFile(path);
    // Another open of the catalog holds it, so it cannot be opened to write.
    CCatFile holder;
    ASSERT_TRUE(holder.Open(path, CCatFile::OpenMode::Read));
    const auto after
        = RunSettings(*catalog, [](CCatalogInfoDialog& dialog) { Enter(dialog, "Renamed", "new content"); });
    EXPECT_EQ(after, std::make_pair(QStringLiteral("Volume"), QStringLiteral("old")));
    EXPECT_EQ(
        boxes, std::vector<std::string>{platform::system::ErrorMessage(platform::system::ERROR_SHARING_VIOLATION)});
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(notifications, 0);
}

TEST_F(PropertyPagesTest, WithoutAUserInterfaceTheCommandsAreNotOffered)
{
    SetPropertySheetUi(nullptr);
    auto catalog = Catalog({}, {File("a", 1)});
    CMINVOKECOMMANDINFO info;
    EXPECT_EQ(catalog->OnProperties(&info), E_NOTIMPL);
    EXPECT_EQ(Child(catalog.Get(), 0)->OnProperties(&info), E_NOTIMPL);
}

} // namespace
