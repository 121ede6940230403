// Dragging out of the views and dropping onto the shelf view, through the
// faces' own mouse handling, the platform's drag and the drop target it
// registered on the shelf view's list.

#include "items/DataTransfer.h"
#include "platform/ui/DragDrop.h"
#include "tests/items/ItemFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/views/ViewsFixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <functional>

namespace pellidor::test {
namespace {

using platform::com::ComPtr;

constexpr DWORD kDiscSerial = 0x12345678; // TestVolume's

// What a drag offered, read from its data while it runs.
struct Offered {
    bool started = false;
    Qt::DropActions actions;
    QStringList formats;
    QByteArray idList;
    QList<QUrl> urls;
};

// Sends a drag over `window` at `at` and drops it when the place takes it;
// true when the drop was taken.
bool DropOn(QWidget* window, const QPoint& at, const QMimeData* data, Qt::DropActions actions)
{
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
    if (!move.isAccepted()) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(window, &leave);
        return false;
    }
    QDropEvent drop(QPointF(at), actions, data, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    return drop.isAccepted();
}

class ViewDragDropTest : public ViewsFixture {
protected:
    void TearDown() override
    {
        platform::ui::SetDragStartObserver(nullptr);
        ViewsFixture::TearDown();
        // The drags Qt let go of, and the data objects they held.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A disc in an optical drive: its serial, and the file at `relative`.
    std::string InsertDisc(DWORD serial, const std::string& relative)
    {
        const std::string root = TestPath("cdrom");
        QDir().mkpath(QString::fromStdString(root));
        WriteFile(root + "/" + relative, "the real file");
        char line[128];
        std::snprintf(line, sizeof line, "\t5\tDISC\t%08X\tCDFS\t100\t0\n", serial);
        WriteFile(TestRoot() + "/drives.table", root + line);
        return root + "/" + relative;
    }

    CViewWnd* OpenCatalog()
    {
        WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, {File("readme.txt", 13)});
        return Open(*ViewOf(*CatalogFolder()));
    }

    CViewWnd* OpenShelf(const ComPtr<CShelfFolder>& folder)
    {
        CViewWnd* window = Open(*ViewOf(*folder));
        browser_->Window().resize(600, 400);
        browser_->Window().show();
        QCoreApplication::processEvents();
        return window;
    }

    // Presses on row `row` and moves the mouse far enough for the face to
    // start its drag; `during` runs while the drag's data is offered.
    Offered DragRow(CViewList& list, int row, std::function<void(QDrag&, Qt::DropActions)> during = {})
    {
        browser_->Window().resize(600, 400);
        browser_->Window().show();
        QCoreApplication::processEvents(); // the faces lay their entries out
        QAbstractItemView* face = list.CurrentFace();
        const QPoint from = face->visualRect(face->model()->index(row, 0)).center();
        Offered offered;
        platform::ui::SetDragStartObserver([&offered, &during](QDrag& drag, Qt::DropActions actions) {
            const QMimeData* data = drag.mimeData();
            offered.started = true;
            offered.actions = actions;
            offered.formats = data->formats();
            offered.idList = data->data(QString::fromLatin1(platform::ui::kShellIdListMimeType));
            offered.urls = data->urls();
            if (during)
                during(drag, actions);
        });
        QTest::mousePress(face->viewport(), Qt::LeftButton, Qt::NoModifier, from);
        // The first move makes the face ready to drag, the second starts it.
        const QPoint away = from + QPoint(0, 3 * QApplication::startDragDistance());
        QTest::mouseMove(face->viewport(), away);
        QTest::mouseMove(face->viewport(), away + QPoint(1, 1));
        QTest::mouseRelease(face->viewport(), Qt::LeftButton, Qt::NoModifier, from);
        return offered;
    }

    // Where row `row` of the shown face is, in its viewport.
    static QPoint RowCenter(CViewList& list, int row)
    {
        QAbstractItemView* face = list.CurrentFace();
        return face->visualRect(face->model()->index(row, 0)).center();
    }
    static QWidget* DropWindow(CViewList& list) { return list.CurrentFace()->viewport(); }

    // The identifier-list block of the root's child named `name`, as a drag
    // of it carries.
    QByteArray BlockOfRootChild(const std::string& name)
    {
        auto root = ShelfRoot();
        root->LoadChildren(false);
        CCatItem* child = nullptr;
        for (int i = 0; i < root->GetChildCount(); ++i) {
            if (root->GetChild(i)->GetName() == name)
                child = root->GetChild(i);
        }
        if (child == nullptr) {
            ADD_FAILURE() << name;
            return {};
        }
        FORMATETC format;
        format.cfFormat = ShellIdListFormat();
        STGMEDIUM medium;
        EXPECT_EQ(child->GetData(&format, &medium), S_OK);
        QByteArray bytes(reinterpret_cast<const char*>(platform::com::GlobalData(medium.hGlobal)),
            static_cast<qsizetype>(platform::com::GlobalSize(medium.hGlobal)));
        ReleaseStgMedium(&medium);
        return bytes;
    }

    bool IsInCatalogDirectory(const std::string& relative) const
    {
        return QFileInfo::exists(QString::fromStdString(CatalogDirectory() + "/" + relative));
    }
};

TEST_F(ViewDragDropTest, AFileDraggedOutWithItsDiscInOffersTheRealFile)
{
    const std::string real = InsertDisc(kDiscSerial, "readme.txt");
    CViewWnd* window = OpenCatalog();
    PromptRecorder prompt;
    const Offered offered = DragRow(window->List(), 0);

    ASSERT_TRUE(offered.started);
    // Never moved off the medium by a file manager.
    EXPECT_EQ(offered.actions, Qt::CopyAction | Qt::LinkAction);
    EXPECT_EQ(offered.formats,
        (QStringList{QString::fromLatin1(platform::ui::kShellIdListMimeType), QStringLiteral("text/uri-list")}));
    ASSERT_EQ(offered.urls.size(), 1);
    EXPECT_EQ(offered.urls[0], QUrl::fromLocalFile(QString::fromStdString(real)));
    // The block is the item's own: the shelf's root, then the catalog and
    // the file.
    const auto block = ReadIdListBlock(
        reinterpret_cast<const BYTE*>(offered.idList.constData()), static_cast<std::size_t>(offered.idList.size()));
    ASSERT_TRUE(block.has_value());
    ASSERT_EQ(block->items.size(), 1u);
    EXPECT_EQ(ElementRecord(LastElement(block->items[0].Get())).Name, std::string("readme.txt"));
    EXPECT_TRUE(prompt.questions.empty());
}

TEST_F(ViewDragDropTest, WithoutItsMediumAFileOffersNoFilesAndAsksNobody)
{
    // Another disc is in the drive.
    InsertDisc(0x0BADF00D, "readme.txt");
    CViewWnd* window = OpenCatalog();
    PromptRecorder prompt;
    const Offered offered = DragRow(window->List(), 0);

    ASSERT_TRUE(offered.started);
    EXPECT_EQ(offered.formats, QStringList{QString::fromLatin1(platform::ui::kShellIdListMimeType)});
    EXPECT_TRUE(offered.urls.isEmpty());
    EXPECT_FALSE(offered.idList.isEmpty());
    EXPECT_TRUE(prompt.questions.empty());
}

TEST_F(ViewDragDropTest, AStickInARemovableDriveCountsDuringADrag)
{
    const std::string root = TestPath("stick");
    QDir().mkpath(QString::fromStdString(root));
    WriteFile(root + "/readme.txt", "x");
    WriteFile(TestRoot() + "/drives.table", root + "\t2\tSTICK\t12345678\tFAT32\t100\t0\n");
    CViewWnd* window = OpenCatalog();
    PromptRecorder prompt;
    const Offered offered = DragRow(window->List(), 0);
    ASSERT_EQ(offered.urls.size(), 1);
    EXPECT_EQ(offered.urls[0].toLocalFile().toStdString(), root + "/readme.txt");
    EXPECT_TRUE(prompt.questions.empty());
}

TEST_F(ViewDragDropTest, ACatalogDroppedOnAShelfFolderInTheShelfViewMovesIntoIt)
{
    QDir().mkpath(QString::fromStdString(CatalogDirectory() + "/Archive"));
    WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, {});
    CViewWnd* window = OpenShelf(ShelfRoot());
    CViewList& list = window->List();
    ASSERT_EQ(Column(list), (std::vector<std::string>{"Archive", "Volume"}));

    bool taken = false;
    const Offered offered = DragRow(list, 1, [&](QDrag& drag, Qt::DropActions actions) {
        taken = DropOn(DropWindow(list), RowCenter(list, 0), drag.mimeData(), actions);
    });
    ASSERT_TRUE(offered.started);
    EXPECT_EQ(offered.actions, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    EXPECT_TRUE(taken);
    EXPECT_TRUE(IsInCatalogDirectory("Archive/00000001.pld"));
    EXPECT_FALSE(IsInCatalogDirectory("00000001.pld"));
    // A catalog takes no drops: a shelf folder dropped on it goes to the
    // folder shown, where it already is.
}

TEST_F(ViewDragDropTest, EveryFaceDragsAndTakesDropsAfterTheModeChanged)
{
    QDir().mkpath(QString::fromStdString(CatalogDirectory() + "/Archive"));
    WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, {});
    CViewWnd* window = Open(*ViewOf(*ShelfRoot()), FVM_ICON);
    CViewList& list = window->List();
    for (const UINT mode : {kCmdList, kCmdSmallIcons, kCmdDetails, kCmdLargeIcons}) {
        SCOPED_TRACE(mode);
        platform::ui::SendMessage(window, WM_COMMAND, mode, 0);
        // The window system brings drags only to a window that takes them.
        EXPECT_TRUE(DropWindow(list)->acceptDrops());
        // Dragged, and dropped onto the folder it is in: refused.
        bool taken = true;
        const Offered offered = DragRow(list, 1, [&](QDrag& drag, Qt::DropActions actions) {
            taken = DropOn(DropWindow(list), QPoint(590, 390), drag.mimeData(), actions);
        });
        EXPECT_TRUE(offered.started);
        EXPECT_FALSE(taken);
    }
    EXPECT_TRUE(IsInCatalogDirectory("00000001.pld"));
}

TEST_F(ViewDragDropTest, ADropOnTheBackgroundOfASubFolderMovesIntoThatFolder)
{
    QDir().mkpath(QString::fromStdString(CatalogDirectory() + "/Archive"));
    WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, {});
    const QByteArray catalog = BlockOfRootChild("Volume");
    auto root = ShelfRoot();
    root->LoadChildren(false);
    const int at = root->GetChild(0)->GetName() == "Archive" ? 0 : 1;
    const auto archive = ComPtr<CCatItem>::AddRefed(root->GetChild(at)).As<IShellFolder>();
    ASSERT_TRUE(archive);
    CViewWnd* window = Open(*ViewOf(*archive));
    browser_->Window().resize(600, 400);
    browser_->Window().show();
    ASSERT_EQ(window->List().ItemCount(), 0);

    QMimeData data;
    data.setData(QString::fromLatin1(platform::ui::kShellIdListMimeType), catalog);
    EXPECT_TRUE(DropOn(DropWindow(window->List()), QPoint(300, 300), &data, Qt::CopyAction | Qt::MoveAction));
    EXPECT_TRUE(IsInCatalogDirectory("Archive/00000001.pld"));
}

// What a drop from outside may carry; all but the block as it was made
// must be refused.
struct ForeignDrop {
    const char* name;
    std::function<void(QByteArray& block, QMimeData& data)> make;
    bool taken = false;
};

class ShelfViewDropTest : public ViewDragDropTest, public ::testing::WithParamInterface<ForeignDrop> { };

TEST_P(ShelfViewDropTest, OnlyTheBlockAsItWasMadeMovesTheCatalog)
{
    QDir().mkpath(QString::fromStdString(CatalogDirectory() + "/Archive"));
    WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, {Folder("docs", {File("a.txt")})});
    QByteArray block = BlockOfRootChild("Volume");
    QMimeData data;
    GetParam().make(block, data);
    CViewWnd* window = OpenShelf(ShelfRoot());
    CViewList& list = window->List();

    ASSERT_EQ(list.TextAt(0, 0), "Archive");
    EXPECT_EQ(DropOn(DropWindow(list), RowCenter(list, 0), &data, Qt::CopyAction | Qt::MoveAction), GetParam().taken);
    EXPECT_EQ(IsInCatalogDirectory("00000001.pld"), !GetParam().taken);
    EXPECT_EQ(IsInCatalogDirectory("Archive/00000001.pld"), GetParam().taken);
}

void SetBlock(QMimeData& data, const QByteArray& block)
{
    data.setData(QString::fromLatin1(platform::ui::kShellIdListMimeType), block);
}

void PutDword(QByteArray& block, int at, DWORD value)
{
    std::memcpy(block.data() + at, &value, sizeof value);
}

INSTANTIATE_TEST_SUITE_P(Blocks, ShelfViewDropTest,
    ::testing::Values(ForeignDrop{"AsMade", [](QByteArray& block, QMimeData& data) { SetBlock(data, block); }, true},
        ForeignDrop{"FilesOfAFileManager",
            [](QByteArray&, QMimeData& data) {
                data.setUrls({QUrl::fromLocalFile(QStringLiteral("/etc/hostname"))});
                data.setText(QStringLiteral("/etc/hostname"));
            }},
        ForeignDrop{"TruncatedBlock",
            [](QByteArray& block, QMimeData& data) {
                block.chop(40);
                SetBlock(data, block);
            }},
        ForeignDrop{"ItemOffsetPastTheEnd",
            [](QByteArray& block, QMimeData& data) {
                PutDword(block, 8, static_cast<DWORD>(block.size() + 100));
                SetBlock(data, block);
            }},
        ForeignDrop{"CountThatLies",
            [](QByteArray& block, QMimeData& data) {
                PutDword(block, 0, 0x7FFFFFFF);
                SetBlock(data, block);
            }},
        ForeignDrop{"ElementLongerThanTheBlock",
            [](QByteArray& block, QMimeData& data) {
                // The catalog element's size, right after the root list.
                DWORD itemOffset = 0;
                std::memcpy(&itemOffset, block.constData() + 8, sizeof itemOffset);
                const USHORT huge = 0xFFF0;
                std::memcpy(block.data() + itemOffset, &huge, sizeof huge);
                SetBlock(data, block);
            }},
        ForeignDrop{"EmptyBlock", [](QByteArray&, QMimeData& data) { SetBlock(data, QByteArray()); }}),
    [](const ::testing::TestParamInfo<ForeignDrop>& param) { return std::string(param.param.name); });

} // namespace
} // namespace pellidor::test
