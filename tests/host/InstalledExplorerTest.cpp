// The product as a user meets it: installed by Setup's steps into the test's
// registry, found by the explorer through the entries they wrote, and a
// removable drive catalogued from its context menu.

#include "host/explorer/ExplorerWindow.h"
#include "host/explorer/ModuleCache.h"
#include "host/explorer/NamespaceModel.h"
#include "host/explorer/Startup.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Guid.h"
#include "platform/shell/Execute.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/system/Module.h"
#include "platform/system/MoveFile.h"
#include "platform/system/Paths.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Menu.h"
#include "setup/Installer.h"
#include "tests/host/ExplorerFixture.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

namespace host::explorer::test {
namespace {

using platform::com::ComPtr;

const CLSID kShelf = *platform::com::ParseGuid("{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14}");

class InstalledExplorerTest : public testing::Test {
protected:
    void SetUp() override
    {
        stickRoot_ = TestRoot() + "/drives/stick";
        fixedRoot_ = TestRoot() + "/drives/fixed";
        catalogs_ = TestRoot() + "/catalogs";
        QDir().mkpath(QString::fromStdString(stickRoot_ + "/photos/2024"));
        QDir().mkpath(QString::fromStdString(fixedRoot_));
        std::ofstream(stickRoot_ + "/photos/2024/beach.jpg") << "jpeg";
        std::ofstream(stickRoot_ + "/readme.txt") << "hello";
        std::ofstream(TestRoot() + "/drives.table") << fixedRoot_ << "\t3\tSYSTEM\t11112222\text4\t9000\t100\t1\n"
                                                    << stickRoot_ << "\t2\tSTICK\t0000BEEF\tFAT32\t4000\t1000\t1\n";
    }

    std::unique_ptr<setup::CInstaller> Installer()
    {
        auto installer = std::make_unique<setup::CInstaller>(BinDirectory());
        installer->State().catalogDirectory = catalogs_;
        installer->State().iconOnDesktop = false;
        installer->State().iconInMyComputer = true;
        return installer;
    }

    QStringList Catalogs() const
    {
        return QDir(QString::fromStdString(catalogs_)).entryList({QStringLiteral("*.pld")}, QDir::Files);
    }

    std::string stickRoot_;
    std::string fixedRoot_;
    std::string catalogs_;
};

// The title of the last dialog shown while it watches the application.
class DialogShowSpy : public QObject {
public:
    QString title;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QDialog*>(watched))
                title = dialog->windowTitle();
        }
        return false;
    }
};

QMenu* VisibleMenu(const QWidget& window)
{
    for (QMenu* shown : window.findChildren<QMenu*>()) {
        if (shown->isVisible())
            return shown;
    }
    return nullptr;
}

QAction* ActionNamed(const QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

TEST_F(InstalledExplorerTest, AddToPellidorOnARemovableDriveMakesACatalogThatTheShelfShowsAtOnce)
{
    ASSERT_TRUE(Installer()->Install());
    ExplorerWindow window;
    window.show();
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));

    // The shelf under My Computer, empty so far.
    NamespaceModel* model = window.Model();
    NamespaceItem* shelf = model->Find(platform::shell::MyComputerJunctionIdList(kShelf), true);
    ASSERT_NE(shelf, nullptr);
    model->Populate(shelf);
    ASSERT_EQ(shelf->rowCount(), 0);

    QListWidget* places = window.Places();
    for (int row = 0; row < places->count(); ++row)
        places->item(row)->setSelected(places->item(row)->text().startsWith(QStringLiteral("STICK")));
    ASSERT_EQ(places->selectedItems().size(), 1);
    Q_EMIT places->customContextMenuRequested(places->visualItemRect(places->selectedItems().at(0)).center());
    QMenu* menu = VisibleMenu(window);
    ASSERT_NE(menu, nullptr);
    QAction* add = ActionNamed(menu, QStringLiteral("Add to Pellidor"));
    ASSERT_NE(add, nullptr);
    EXPECT_FALSE(add->icon().isNull()) << "the item's own mark";
    // Loaded from the installed library, through the registry.
    const std::string installed = platform::system::SystemDirectory() + "/ShellExt/Pellidor.so";
    EXPECT_EQ(ModuleCache::ServerPathOf(kShelf), installed);
    const auto loaded = window.Modules().LoadedLibraries();
    EXPECT_NE(std::find(loaded.begin(), loaded.end(), installed), loaded.end());

    // The dialog shows while the drive is read, and ends by itself.
    // Seen as it is shown: a small drive is read before any timer would look.
    DialogShowSpy shown;
    qApp->installEventFilter(&shown);
    menu->hide();
    add->trigger();
    qApp->removeEventFilter(&shown);
    EXPECT_EQ(shown.title, QStringLiteral("Pellidor"));

    const QStringList made = Catalogs();
    ASSERT_EQ(made.size(), 1);
    QProcess dump;
    dump.start(QString::fromStdString(BinDirectory() + "/pellidor"),
        {QStringLiteral("dump"), QString::fromStdString(catalogs_ + "/") + made.at(0)});
    ASSERT_TRUE(dump.waitForFinished(30000));
    EXPECT_EQ(dump.exitCode(), 0) << dump.readAllStandardError().toStdString();
    EXPECT_TRUE(dump.readAllStandardOutput().contains("beach.jpg"));

    // The shelf's node is read again, without a restart.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        NamespaceItem* again = model->Find(platform::shell::MyComputerJunctionIdList(kShelf), false);
        return again != nullptr && again->rowCount() == 1;
    }));
}

TEST_F(InstalledExplorerTest, FixedDiskAloneGetsNoAddItem)
{
    ASSERT_TRUE(Installer()->Install());
    ExplorerWindow window;
    window.show();
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    QListWidget* places = window.Places();
    for (int row = 0; row < places->count(); ++row)
        places->item(row)->setSelected(places->item(row)->text().startsWith(QStringLiteral("SYSTEM")));
    ASSERT_EQ(places->selectedItems().size(), 1);
    Q_EMIT places->customContextMenuRequested(places->visualItemRect(places->selectedItems().at(0)).center());
    QMenu* menu = VisibleMenu(window);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ActionNamed(menu, QStringLiteral("Add to Pellidor")), nullptr);
    menu->hide();
}

// The row of the face whose first column shows `text`; -1 when none.
int RowShowing(const QAbstractItemView& face, const QString& text)
{
    for (int row = 0; row < face.model()->rowCount(); ++row) {
        if (face.model()->index(row, 0).data().toString() == text)
            return row;
    }
    return -1;
}

TEST_F(InstalledExplorerTest, ACatalogDraggedFromTheShelfViewOntoAShelfFolderInTheTreeMovesIntoIt)
{
    ASSERT_TRUE(Installer()->Install());
    QProcess read;
    read.start(QString::fromStdString(BinDirectory() + "/pellidor"),
        {QStringLiteral("read"), QString::fromStdString(stickRoot_)});
    ASSERT_TRUE(read.waitForFinished(30000));
    ASSERT_EQ(read.exitCode(), 0) << read.readAllStandardError().toStdString();
    const QStringList catalogs = Catalogs();
    ASSERT_EQ(catalogs.size(), 1);
    QDir().mkpath(QString::fromStdString(catalogs_ + "/Archive"));

    ExplorerWindow window;
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerJunctionIdList(kShelf)));
    QCoreApplication::processEvents();
    // The shelf folder's node in the tree, on screen.
    NamespaceModel* model = window.Model();
    NamespaceItem* shelf = model->Find(platform::shell::MyComputerJunctionIdList(kShelf), true);
    ASSERT_NE(shelf, nullptr);
    model->Populate(shelf);
    window.Tree()->expand(model->indexFromItem(shelf));
    QStandardItem* archive = nullptr;
    for (int row = 0; row < shelf->rowCount(); ++row) {
        if (shelf->child(row)->text() == QStringLiteral("Archive"))
            archive = shelf->child(row);
    }
    ASSERT_NE(archive, nullptr);
    window.Tree()->scrollTo(archive->index());
    QCoreApplication::processEvents();
    const QPoint onArchive = window.Tree()->visualRect(archive->index()).center();

    // The shelf view's list, as shown in the pane.
    QAbstractItemView* face = nullptr;
    for (QAbstractItemView* shown : window.ViewWindow()->findChildren<QAbstractItemView*>()) {
        if (shown->isVisible())
            face = shown;
    }
    ASSERT_NE(face, nullptr);
    const int row = RowShowing(*face, QStringLiteral("STICK"));
    ASSERT_GE(row, 0);
    const QPoint from = face->visualRect(face->model()->index(row, 0)).center();

    bool moved = false;
    platform::ui::SetDragStartObserver([&](QDrag& drag, Qt::DropActions actions) {
        QWidget* tree = window.Tree()->viewport();
        QDragEnterEvent enter(onArchive, actions, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree, &enter);
        QDragMoveEvent move(onArchive, actions, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree, &move);
        ASSERT_TRUE(move.isAccepted());
        EXPECT_EQ(move.dropAction(), Qt::MoveAction);
        QDropEvent drop(QPointF(onArchive), actions, drag.mimeData(), Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree, &drop);
        moved = drop.isAccepted();
    });
    QTest::mousePress(face->viewport(), Qt::LeftButton, Qt::NoModifier, from);
    // The first move makes the face ready to drag, the second starts it.
    const QPoint away = from + QPoint(0, 3 * QApplication::startDragDistance());
    QTest::mouseMove(face->viewport(), away);
    QTest::mouseMove(face->viewport(), away + QPoint(1, 1));
    QTest::mouseRelease(face->viewport(), Qt::LeftButton, Qt::NoModifier, from);
    platform::ui::SetDragStartObserver(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE(moved);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(catalogs_ + "/Archive/") + catalogs.at(0)));
    EXPECT_TRUE(Catalogs().isEmpty());
}

ino_t Inode(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST_F(InstalledExplorerTest, LibraryInUseIsReplacedWhenTheExplorerNextStarts)
{
    const auto installer = Installer();
    ASSERT_TRUE(installer->Install());
    const setup::InstallerState& state = installer->State();
    const ino_t first = Inode(state.targetLibrary);
    {
        // A running shell holds the library.
        platform::system::Library inUse(state.targetLibrary);
        ASSERT_TRUE(inUse.IsLoaded()) << inUse.Error();
        auto again = Installer();
        ASSERT_TRUE(again->Install()) << again->State().actionText << ": " << again->State().errorText;
        EXPECT_TRUE(again->State().restartNeeded);
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(state.temporaryLibrary)));
        EXPECT_EQ(Inode(state.targetLibrary), first) << "never written while in use";
        const auto pending = platform::system::PendingMoves();
        ASSERT_EQ(pending.size(), 1u);
        EXPECT_EQ(pending[0].source, state.temporaryLibrary);
        EXPECT_EQ(pending[0].target, state.targetLibrary);
    }
    // The next start carries the move out before it loads anything.
    const auto window = StartExplorer({});
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(platform::system::PendingMoves().empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(state.temporaryLibrary)));
    EXPECT_NE(Inode(state.targetLibrary), first);
}

// The catalog a user picked on the shelf is added to the Favorites through
// its own menu, and the favorite takes the user back to it.
TEST_F(InstalledExplorerTest, CatalogAddedToFavoritesOpensAgainFromTheFavoritesMenu)
{
    ASSERT_TRUE(Installer()->Install());
    QProcess read;
    read.start(QString::fromStdString(BinDirectory() + "/pellidor"),
        {QStringLiteral("read"), QString::fromStdString(stickRoot_)});
    ASSERT_TRUE(read.waitForFinished(30000));
    ASSERT_EQ(read.exitCode(), 0) << read.readAllStandardError().toStdString();
    ASSERT_EQ(Catalogs().size(), 1);

    ExplorerWindow window;
    window.show();
    const std::vector<BYTE> shelf = platform::shell::MyComputerJunctionIdList(kShelf);
    ASSERT_TRUE(window.Navigate(shelf));
    // Where the tree takes the user for the catalog.
    NamespaceItem* shelfNode = window.Model()->Find(shelf, true);
    ASSERT_NE(shelfNode, nullptr);
    window.Model()->Populate(shelfNode);
    ASSERT_EQ(shelfNode->rowCount(), 1);
    const std::vector<BYTE> catalog = static_cast<NamespaceItem*>(shelfNode->child(0))->absolute;

    // The catalog selected in the shelf view, its menu asked of the view.
    ASSERT_NE(window.ViewWindow(), nullptr);
    auto* list = window.ViewWindow()->findChild<QAbstractItemView*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->model()->rowCount(), 1);
    list->selectionModel()->select(
        list->model()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(window.ActiveView()->GetItemObject(SVGIO_SELECTION, IContextMenu::kIid, menu.ReceiveVoid()), S_OK);
    platform::ui::Menu items;
    ASSERT_TRUE(SUCCEEDED(menu->QueryContextMenu(&items, 0, 1, 0x7FFF, CMF_NORMAL)));
    UINT add = 0;
    for (int position = 0; position < items.GetItemCount(); ++position) {
        if (items.GetItem(position)->text == "&Add To Favorites...")
            add = items.GetItem(position)->id;
    }
    ASSERT_NE(add, 0u);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->findChild<QLineEdit*>(QStringLiteral("name")) == nullptr)
            return;
        answer.stop();
        dialog->findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("Stick photos"));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    answer.start(10);
    CMINVOKECOMMANDINFO info;
    info.hwnd = &window;
    info.lpVerb = MAKEINTRESOURCEA(add - 1);
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    menu.Reset();
    EXPECT_TRUE(
        QFileInfo::exists(QString::fromStdString(platform::system::FavoritesDirectory() + "/Stick photos.lnk")));

    // Elsewhere, the favorite brings the catalog back.
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    QMenu* favorites = nullptr;
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == QStringLiteral("F&avorites"))
            favorites = action->menu();
    }
    ASSERT_NE(favorites, nullptr);
    Q_EMIT favorites->aboutToShow();
    QAction* favorite = ActionNamed(favorites, QStringLiteral("Stick photos"));
    ASSERT_NE(favorite, nullptr);
    favorite->trigger();
    EXPECT_EQ(window.Location(), catalog);
    EXPECT_NE(window.ActiveView(), nullptr) << "the catalog's own view";
}

// A favorite of a catalogued file opens the file on its medium, as a
// double-click in the catalog's view does.
TEST_F(InstalledExplorerTest, FavoriteOfACataloguedFileOpensItOnItsMedium)
{
    // The stick's disc sits in an optical drive: found without asking.
    std::ofstream(TestRoot() + "/drives.table") << stickRoot_ << "\t5\tSTICK\t0000BEEF\tCDFS\t4000\t0\t1\n";
    ASSERT_TRUE(Installer()->Install());
    QProcess read;
    read.start(QString::fromStdString(BinDirectory() + "/pellidor"),
        {QStringLiteral("read"), QString::fromStdString(stickRoot_)});
    ASSERT_TRUE(read.waitForFinished(30000));
    ASSERT_EQ(read.exitCode(), 0) << read.readAllStandardError().toStdString();

    ExplorerWindow window;
    window.show();
    NamespaceModel* model = window.Model();
    NamespaceItem* shelf = model->Find(platform::shell::MyComputerJunctionIdList(kShelf), true);
    ASSERT_NE(shelf, nullptr);
    model->Populate(shelf);
    ASSERT_EQ(shelf->rowCount(), 1);
    auto* catalog = static_cast<NamespaceItem*>(shelf->child(0));

    // readme.txt, the one file in the catalog's root, through its folder.
    const ComPtr<IShellFolder> folder = model->BindFolder(catalog);
    ASSERT_TRUE(folder);
    ComPtr<IEnumIDList> files;
    ASSERT_EQ(folder->EnumObjects(&window, SHCONTF_NONFOLDERS, files.Receive()), S_OK);
    LPITEMIDLIST child = nullptr;
    ASSERT_EQ(files->Next(1, &child, nullptr), S_OK);
    const platform::com::TaskMemPtr<ITEMIDLIST> owned(child);
    LPCITEMIDLIST children[] = {child};
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(folder->GetUIObjectOf(&window, 1, children, IContextMenu::kIid, nullptr, menu.ReceiveVoid()), S_OK);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->findChild<QLineEdit*>(QStringLiteral("name")) == nullptr)
            return;
        answer.stop();
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    answer.start(10);
    CMINVOKECOMMANDINFO info;
    info.hwnd = &window;
    info.lpVerb = MAKEINTRESOURCEA(29);
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    menu.Reset();

    std::vector<std::string> opened;
    platform::shell::SetExecuteHook([&](const platform::shell::ExecuteRequest& request) {
        opened.push_back(request.file);
        return platform::shell::kExecuteOk;
    });
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    QMenu* favorites = nullptr;
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == QStringLiteral("F&avorites"))
            favorites = action->menu();
    }
    ASSERT_NE(favorites, nullptr);
    Q_EMIT favorites->aboutToShow();
    QAction* favorite = ActionNamed(favorites, QStringLiteral("readme"));
    ASSERT_NE(favorite, nullptr);
    favorite->trigger();
    platform::shell::SetExecuteHook(nullptr);
    EXPECT_EQ(opened, std::vector<std::string>{stickRoot_ + "/readme.txt"});
    EXPECT_EQ(window.Location(), platform::shell::MyComputerIdList());
}

} // namespace
} // namespace host::explorer::test
