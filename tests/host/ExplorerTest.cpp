// The explorer hosting the test server, driven the way a user's clicks and
// keys drive it.

#include "host/explorer/ModuleCache.h"
#include "host/explorer/NamespaceModel.h"
#include "platform/com/ShellBrowserTypes.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/NamespaceIds.h"
#include "tests/host/ExplorerFixture.h"
#include "tests/host/TestServerIds.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <dlfcn.h>

using namespace host::explorer;
using namespace host::explorer::test;
using platform::shell::DesktopJunctionIdList;
using platform::shell::MyComputerJunctionIdList;

namespace {

NamespaceItem* ChildNamed(NamespaceModel* model, NamespaceItem* parent, const QString& text)
{
    for (NamespaceItem* child : model->Children(parent)) {
        if (child->text() == text)
            return child;
    }
    return nullptr;
}

QString Hex(const std::vector<BYTE>& list)
{
    // The elements, without the terminator, as the server logs them.
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(list.data()), static_cast<qsizetype>(list.size() - 2))
            .toHex()
            .toUpper());
}

bool IsLoaded(const std::string& path)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr)
        ::dlclose(handle);
    return handle != nullptr;
}

} // namespace

TEST_F(ExplorerTest, JunctionAppearsUnderTheDesktopAndMyComputerAndBinds)
{
    NamespaceModel* model = Window().Model();
    NamespaceItem* onDesktop = ChildNamed(model, model->Desktop(), QStringLiteral("Test Junction"));
    ASSERT_NE(onDesktop, nullptr);
    EXPECT_EQ(onDesktop->absolute, DesktopJunctionIdList(kJunctionClass));
    NamespaceItem* myComputer = ChildNamed(model, model->Desktop(), QStringLiteral("My Computer"));
    ASSERT_NE(myComputer, nullptr);
    NamespaceItem* inMyComputer = ChildNamed(model, myComputer, QStringLiteral("Test Junction"));
    ASSERT_NE(inMyComputer, nullptr);
    EXPECT_EQ(inMyComputer->absolute, MyComputerJunctionIdList(kJunctionClass));

    // Expanding it in the tree binds it, told where it stands, and lists its
    // folders with the icons it extracts.
    ClearServerLog();
    Window().Tree()->expand(model->indexFromItem(myComputer));
    Window().Tree()->expand(model->indexFromItem(inMyComputer));
    ASSERT_TRUE(QTest::qWaitFor([&] { return inMyComputer->rowCount() == 3; }));
    EXPECT_TRUE(ServerLog().contains(QStringLiteral("initialize ") + Hex(MyComputerJunctionIdList(kJunctionClass))));
    EXPECT_EQ(inMyComputer->child(0)->text(), QStringLiteral("Folder 1"));
    EXPECT_EQ(inMyComputer->child(2)->text(), QStringLiteral("Folder 3"));
    const QImage icon = inMyComputer->child(0)->icon().pixmap(16, 16).toImage();
    EXPECT_EQ(icon.pixel(8, 8), qRgb(200, 40, 40));
    // The drives are there too, each with its label.
    EXPECT_NE(ChildNamed(model, myComputer, QStringLiteral("DISC (%1)").arg(QString::fromStdString(cdRoot_))), nullptr);
}

TEST_F(ExplorerTest, ViewIsActivatedWithMergedMenusAndSavedAndDestroyedWhenLeft)
{
    ASSERT_TRUE(Window().Navigate(DesktopJunctionIdList(kJunctionClass)));
    ASSERT_NE(Window().ActiveView(), nullptr);
    ASSERT_NE(Window().ViewWindow(), nullptr);
    EXPECT_EQ(ServerLog().filter(QStringLiteral("activate")).value(0), QStringLiteral("activate 2"));

    // The merged items stand in the pop-ups the view chose.
    QMenu* file = MenuBarPopup(QStringLiteral("&File"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->actions().value(0)->text(), QStringLiteral("Test &Print"));
    QMenu* view = MenuBarPopup(QStringLiteral("&View"));
    ASSERT_NE(view, nullptr);
    const QList<QAction*> viewItems = view->actions();
    const auto separator = std::find_if(viewItems.begin(), viewItems.end(),
        [](QAction* a) { return a->isSeparator() && a->data().toUInt() == FCIDM_MENU_VIEW_SEP_OPTIONS; });
    ASSERT_NE(separator, viewItems.end());
    EXPECT_EQ((*(separator - 1))->text(), QStringLiteral("Test &Details"));
    QMenu* help = MenuBarPopup(QStringLiteral("&Help"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->actions().last()->text(), QStringLiteral("Test &About"));

    // Chosen items reach the view's window; so do its toolbar buttons.
    file->actions().value(0)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([] { return ServerLog().contains(QStringLiteral("command 18")); }));
    // The explorer's own Delete and Properties are the view's to carry out.
    QAction* properties = FindAction(file, QStringLiteral("P&roperties"));
    ASSERT_NE(properties, nullptr);
    properties->trigger();
    ASSERT_TRUE(QTest::qWaitFor([] { return ServerLog().contains(QStringLiteral("command 28691")); }));
    QAction* preview = nullptr;
    for (QAction* action : Window().Toolbar()->actions()) {
        if (action->data().toUInt() == 19)
            preview = action;
    }
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->icon().isNull());
    preview->trigger();
    ASSERT_TRUE(QTest::qWaitFor([] { return ServerLog().contains(QStringLiteral("command 19")); }));

    // The browser answers for its view and its controls; a bitmap that is
    // not one of the standard ones is refused.
    IShellView* active = nullptr;
    ASSERT_EQ(Window().Browser()->QueryActiveShellView(&active), S_OK);
    EXPECT_EQ(active, Window().ActiveView());
    active->Release();
    HWND control = nullptr;
    EXPECT_EQ(Window().Browser()->GetControlWindow(FCW_TOOLBAR, &control), S_OK);
    EXPECT_EQ(control, Window().Toolbar());
    EXPECT_TRUE(ServerLog().contains(QStringLiteral("bitmap offset 0")));
    TBADDBITMAP own;
    own.nID = IDB_STD_SMALL_COLOR;
    LRESULT offset = 0;
    EXPECT_EQ(Window().Browser()->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&own), &offset),
        S_OK);
    EXPECT_EQ(offset, -1);

    // Leaving: state saved, deactivated, window destroyed, in that order;
    // the explorer's own menus and buttons come back.
    ClearServerLog();
    ASSERT_TRUE(Window().Navigate(platform::shell::MyComputerIdList()));
    EXPECT_EQ(
        ServerLog(), (QStringList{QStringLiteral("save"), QStringLiteral("deactivate"), QStringLiteral("destroy")}));
    EXPECT_EQ(Window().ActiveView(), nullptr);
    EXPECT_EQ(Window().Browser()->QueryActiveShellView(&active), E_FAIL);
    EXPECT_EQ(FindAction(Window().menuBar(), QStringLiteral("Test &Print")), nullptr);
    for (QAction* action : Window().Toolbar()->actions())
        EXPECT_NE(action->data().toUInt(), 19u);
}

TEST_F(ExplorerTest, ClosingTheWindowSavesTheViewFirst)
{
    ASSERT_TRUE(Window().Navigate(MyComputerJunctionIdList(kJunctionClass)));
    ClearServerLog();
    Window().close();
    EXPECT_EQ(
        ServerLog(), (QStringList{QStringLiteral("save"), QStringLiteral("deactivate"), QStringLiteral("destroy")}));
}

TEST_F(ExplorerTest, BackForwardAndUpRestoreTheLocations)
{
    const std::vector<BYTE> myComputer = platform::shell::MyComputerIdList();
    const std::vector<BYTE> cd = platform::shell::DriveIdList(cdRoot_);
    const std::vector<BYTE> sub = platform::shell::AppendFileSystemItem(cd, "sub", true);
    ExplorerWindow& window = Window();
    ASSERT_TRUE(window.Navigate(myComputer));
    ASSERT_TRUE(window.Navigate(cd));
    ASSERT_TRUE(window.Navigate(sub));
    EXPECT_EQ(window.AddressText(), QString::fromStdString(cdRoot_ + "/sub"));

    QTest::keyClick(&window, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(window.Location(), cd);
    QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window.Location(), sub);
    window.GoBack();
    EXPECT_EQ(window.Location(), cd);
    window.GoBack();
    EXPECT_EQ(window.Location(), myComputer);
    QTest::keyClick(&window, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(window.Location(), cd);
    window.GoForward();
    EXPECT_EQ(window.Location(), sub);
    EXPECT_EQ(window.AddressText(), QString::fromStdString(cdRoot_ + "/sub"));

    // A view asking for a folder relative to it, and for its parent, goes
    // there; a folder that offers no view says so in the pane.
    const std::vector<BYTE> junction = DesktopJunctionIdList(kJunctionClass);
    ASSERT_TRUE(window.Navigate(junction));
    const std::vector<BYTE> second = {12, 0, 'T', 'S', 1, 0, 0, 0, 1, 0, 0, 0, 0, 0};
    ASSERT_EQ(window.Browser()->BrowseObject(reinterpret_cast<LPCITEMIDLIST>(second.data()), SBSP_RELATIVE), S_OK);
    const std::vector<BYTE> below = platform::shell::AppendElement(junction, second.data(), 12);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Location() == below; }));
    EXPECT_EQ(window.AddressText(), QStringLiteral("Test Junction\\Folder 2"));
    EXPECT_EQ(window.PaneMessage(), QStringLiteral("This folder has no view to show."));
    ASSERT_EQ(window.Browser()->BrowseObject(nullptr, SBSP_PARENT), S_OK);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Location() == junction; }));
    EXPECT_NE(window.ActiveView(), nullptr);
}

TEST_F(ExplorerTest, TheTreeFollowsNavigationAndNavigatesWhenClicked)
{
    ExplorerWindow& window = Window();
    ASSERT_TRUE(window.Navigate(platform::shell::DriveIdList(stickRoot_)));
    NamespaceItem* current = window.Model()->ItemFromIndex(window.Tree()->currentIndex());
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->path, stickRoot_);
    window.Tree()->expand(window.Model()->indexFromItem(current));
    NamespaceItem* photos = window.Model()->Children(current).at(0);
    QTest::mouseClick(window.Tree()->viewport(), Qt::LeftButton, {},
        window.Tree()->visualRect(window.Model()->indexFromItem(photos)).center());
    EXPECT_EQ(window.Location(),
        platform::shell::AppendFileSystemItem(platform::shell::DriveIdList(stickRoot_), "photos", true));
}

TEST_F(ExplorerTest, DriveMenuShowsTheHandlersItemAndInvokesItWithTheSelectedRoots)
{
    ExplorerWindow& window = Window();
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    QListWidget* places = window.Places();
    for (int row = 0; row < places->count(); ++row) {
        const QString text = places->item(row)->text();
        places->item(row)->setSelected(
            text.startsWith(QStringLiteral("DISC")) || text.startsWith(QStringLiteral("STICK")));
    }
    ASSERT_EQ(places->selectedItems().size(), 2);
    Q_EMIT places->customContextMenuRequested(places->visualItemRect(places->selectedItems().at(0)).center());

    QMenu* menu = nullptr;
    for (QMenu* shown : window.findChildren<QMenu*>()) {
        if (shown->isVisible())
            menu = shown;
    }
    ASSERT_NE(menu, nullptr);
    QAction* item = FindAction(menu, QStringLiteral("Test &Drive Command"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(ServerLog().contains(QStringLiteral("init with key")));
    menu->hide();
    item->trigger();
    // The handler's own id (first + 1), and the roots in the list's order.
    EXPECT_TRUE(ServerLog().contains(
        QStringLiteral("invoke 1 %1|%2").arg(QString::fromStdString(cdRoot_), QString::fromStdString(stickRoot_))))
        << ServerLog().join(QLatin1Char('\n')).toStdString();
    // Closed, the menu lets its handler go.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.findChildren<QMenu*>().indexOf(menu) < 0; }));
}

TEST_F(ExplorerTest, FindEntryShowsItsTextAndHelpTextAndInvokesItsClass)
{
    QMenu* tools = MenuBarPopup(QStringLiteral("&Tools"));
    ASSERT_NE(tools, nullptr);
    QAction* entry = FindAction(tools, QStringLiteral("With Test ..."));
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->icon().isNull());
    entry->hover();
    EXPECT_EQ(Window().statusBar()->currentMessage(), QStringLiteral("Search in Test catalog"));
    entry->trigger();
    EXPECT_TRUE(ServerLog().contains(QStringLiteral("find invoked")));
}

TEST_F(ExplorerTest, ChangeNotificationRefreshesTheJunctionsNode)
{
    NamespaceModel* model = Window().Model();
    NamespaceItem* junction = ChildNamed(model, model->Desktop(), QStringLiteral("Test Junction"));
    ASSERT_NE(junction, nullptr);
    model->Populate(junction);
    ASSERT_EQ(junction->rowCount(), 3);

    // The user stands in one of its folders.
    const std::vector<BYTE> list = DesktopJunctionIdList(kJunctionClass);
    const std::vector<BYTE> second = {12, 0, 'T', 'S', 1, 0, 0, 0, 1, 0, 0, 0};
    const std::vector<BYTE> below = platform::shell::AppendElement(list, second.data(), second.size());
    ASSERT_TRUE(Window().Navigate(below));

    SetServerSetting(kChildrenValue, 5);
    platform::shell::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, list.data(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        NamespaceItem* again = ChildNamed(model, model->Desktop(), QStringLiteral("Test Junction"));
        return again != nullptr && again->rowCount() == 5;
    }));
    // Reading the node again moved neither the window nor the tree's place.
    QApplication::processEvents();
    EXPECT_EQ(Window().Location(), below);
    NamespaceItem* current = model->ItemFromIndex(Window().Tree()->currentIndex());
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->absolute, below);
}

TEST_F(ExplorerTest, IdleLibraryIsUnloadedOnceItSaysItCanBe)
{
    ExplorerWindow& window = Window();
    ASSERT_TRUE(window.Navigate(DesktopJunctionIdList(kJunctionClass)));
    ASSERT_EQ(window.Modules().LoadedLibraries(), std::vector<std::string>{TestServerPath()});
    ASSERT_TRUE(IsLoaded(TestServerPath()));

    // Navigating away releases the view and its folder: the library is idle.
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    EXPECT_TRUE(window.Modules().LoadedLibraries().empty());
    EXPECT_FALSE(IsLoaded(TestServerPath()));

    // An object held keeps it; the timer takes it once the object is gone.
    IContextMenu* find = nullptr;
    ASSERT_EQ(window.Modules().CreateInstance(kFindClass, IContextMenu::kIid, reinterpret_cast<void**>(&find)), S_OK);
    EXPECT_EQ(window.UnloadIdleLibraries(), 0);
    find->Release();
    window.SetUnloadInterval(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Modules().LoadedLibraries().empty(); }));
    EXPECT_FALSE(IsLoaded(TestServerPath()));
}

TEST_F(ExplorerTest, FileListOpensAFolderFromItsContextMenu)
{
    ExplorerWindow& window = Window();
    const std::vector<BYTE> cd = platform::shell::DriveIdList(cdRoot_);
    ASSERT_TRUE(window.Navigate(cd));
    QListView* files = window.Files();
    const auto* model = static_cast<const QFileSystemModel*>(files->model());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(files->rootIndex()) == 1; }));
    const QModelIndex sub = model->index(0, 0, files->rootIndex());
    ASSERT_EQ(sub.data().toString(), QStringLiteral("sub"));
    EXPECT_FALSE(sub.data(Qt::DecorationRole).value<QIcon>().isNull());

    Q_EMIT files->customContextMenuRequested(files->visualRect(sub).center());
    QMenu* menu = nullptr;
    for (QMenu* shown : window.findChildren<QMenu*>()) {
        if (shown->isVisible())
            menu = shown;
    }
    ASSERT_NE(menu, nullptr);
    QAction* open = FindAction(menu, QStringLiteral("&Open"));
    ASSERT_NE(open, nullptr);
    open->trigger();
    menu->close();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window.Location() == platform::shell::AppendFileSystemItem(cd, "sub", true); }));
}
