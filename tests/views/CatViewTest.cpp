// The catalog view and the shelf view, hosted in a test browser: filling,
// refilling on the change message, opening, menus, buttons and lifetime.

#include "items/PropertySheetUi.h"
#include "items/ShelfFolder.h"
#include "items/ShelfItem.h"
#include "module/ChangeNotify.h"
#include "namespace/CatFolder.h"
#include "namespace/IdList.h"
#include "platform/com/ShellBrowserTypes.h"
#include "platform/ui/Messages.h"
#include "tests/items/ItemFixture.h"
#include "tests/views/ViewsFixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace pellidor::test {
namespace {

using platform::com::ComPtr;

TestEntry Dated(std::string name, std::int32_t time, DWORD size = 1)
{
    TestEntry entry = File(std::move(name), size);
    entry.time = time;
    return entry;
}

class CatViewTest : public ViewsFixture {
protected:
    void WriteVolume(const std::vector<TestEntry>& root)
    {
        WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, root);
    }
};

TEST_F(CatViewTest, EmptyFolderShowsFiveColumnsAndRefreshReadsTheCatalogAgain)
{
    WriteVolume({});
    const auto view = ViewOf(*CatalogFolder());
    CViewWnd* window = Open(*view);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(platform::ui::GetWindowText(window), "#CatView#");
    EXPECT_EQ(window->List().ColumnCount(), 5);
    EXPECT_EQ(window->List().HeadingText(1), "Total Size");
    EXPECT_EQ(window->List().ItemCount(), 0);

    WriteVolume({File("new.txt")});
    EXPECT_EQ(view->Refresh(), S_OK);
    EXPECT_EQ(Column(window->List()), std::vector<std::string>{"new.txt"});
}

TEST_F(CatViewTest, ChangeMessageRefillsInNameOrderWhateverTheUserSorted)
{
    WriteVolume({Dated("b", 300), Dated("a", 200), Dated("c", 100)});
    const auto view = ViewOf(*CatalogFolder());
    CViewWnd* window = Open(*view);
    EXPECT_EQ(Column(window->List()), (std::vector<std::string>{"a", "b", "c"}));
    platform::ui::SendMessage(window, WM_COMMAND, 9, 0); // by date
    EXPECT_EQ(Column(window->List()), (std::vector<std::string>{"c", "a", "b"}));

    WriteVolume({Dated("b", 300), Dated("a", 200), Dated("c", 100), Dated("0", 400)});
    NotifyCatalogsChanged();
    QCoreApplication::processEvents();
    EXPECT_EQ(Column(window->List()), (std::vector<std::string>{"0", "a", "b", "c"}));
}

TEST_F(CatViewTest, EnterOnAFolderBrowsesToItInTheSameWindowAndOnAFileOpensTheFile)
{
    WriteVolume({Folder("Docs", {File("inner.txt")}), File("z.txt")});
    const auto view = ViewOf(*CatalogFolder());
    CViewWnd* window = Open(*view);
    browser_->Window().show();
    CViewList& list = window->List();
    list.SelectRow(0);
    QTest::keyClick(list.CurrentFace(), Qt::Key_Return);
    ASSERT_EQ(browser_->browsed.size(), 1u);
    EXPECT_EQ(browser_->browseFlags[0], SBSP_RELATIVE);
    const auto element = reinterpret_cast<LPCITEMIDLIST>(browser_->browsed[0].data());
    EXPECT_EQ(ElementKind(element), kKindFolder);
    EXPECT_STREQ(ElementRecord(element).Name, "Docs");

    // A file is opened from its medium: the medium is in no drive, so the
    // item asks for it.
    PromptRecorder prompt;
    list.SelectRow(1);
    QTest::keyClick(list.CurrentFace(), Qt::Key_Return);
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"z.txt"});
    EXPECT_EQ(browser_->browsed.size(), 1u);
}

// Records whose sheets the Properties commands ask for.
class SheetRecorder final : public IPropertySheetUi {
public:
    SheetRecorder() { SetPropertySheetUi(this); }
    ~SheetRecorder() { SetPropertySheetUi(nullptr); }
    SheetRecorder(const SheetRecorder&) = delete;
    SheetRecorder& operator=(const SheetRecorder&) = delete;

    void ShowProperties(HWND owner, CCatItem* item, CShelfItem& catalog) override
    {
        owners.push_back(owner);
        shown.push_back((item != nullptr ? item->GetName() : "-") + " on " + catalog.CatalogUserName());
    }

    std::vector<std::string> shown;
    std::vector<HWND> owners;
};

TEST_F(CatViewTest, TheExplorersPropertiesCommandShowsTheSelectedItemsSheetWithItsVolume)
{
    WriteVolume({Folder("Docs", {}), File("z.txt")});
    const auto view = ViewOf(*CatalogFolder());
    CViewWnd* window = Open(*view);
    SheetRecorder sheets;
    window->List().SelectRow(1);
    // As the explorer's File menu sends it: posted to the view's window.
    ASSERT_TRUE(platform::ui::PostCommand(window, 0x7013));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheets.shown.empty(); }, 5000));
    ASSERT_EQ(sheets.shown.size(), 1u);
    EXPECT_EQ(sheets.shown[0].substr(0, 8), "z.txt on");
}

// Right-clicks `row` of the hosted list as a user does (the press selects
// the row, then the context-menu event asks for the menu) and, once the menu
// is up, notes its entries and clicks `entry`. The entries shown, or none
// when no menu came up.
QStringList RightClickAndChoose(CViewList& list, int row, const QString& entry)
{
    QAbstractItemView* face = list.CurrentFace();
    QWidget* viewport = face->viewport();
    const QPoint at = face->visualRect(face->model()->index(row, 0)).center();
    QTest::mouseClick(viewport, Qt::RightButton, {}, at);
    QStringList entries;
    QTimer chooser;
    // Polls from inside the menu's own event loop.
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        chooser.stop();
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                entries << action->text();
        }
        for (QAction* action : menu->actions()) {
            if (action->text() == entry)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        }
        if (menu->isVisible())
            menu->close();
    });
    chooser.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QCoreApplication::sendEvent(viewport, &event);
    return entries;
}

TEST_F(CatViewTest, RightClickShowsTheItemsMenuAndItsChoiceReachesTheItem)
{
    WriteVolume({Folder("Docs", {}), File("a.txt"), File("z.txt")});
    const auto view = ViewOf(*CatalogFolder());
    CViewWnd* window = Open(*view);
    browser_->Window().show();
    SheetRecorder sheets;
    const QStringList entries = RightClickAndChoose(window->List(), 2, QStringLiteral("P&roperties"));
    EXPECT_EQ(entries,
        (QStringList{QStringLiteral("&Open"), QStringLiteral("P&roperties"), QStringLiteral("&Add To Favorites...")}))
        << entries.join(QLatin1Char(',')).toStdString();
    ASSERT_EQ(sheets.shown.size(), 1u);
    // The row under the pointer, selected by the press, and the list as
    // the command's window.
    EXPECT_EQ(sheets.shown[0].substr(0, 8), "z.txt on");
    EXPECT_EQ(sheets.owners[0], &window->List());
}

// An item that keeps what its commands are invoked with.
class RecordingItem : public CCatItem {
public:
    RecordingItem(LPCITEMIDLIST root, LPCITEMIDLIST own) : CCatItem(root, own) { }
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override
    {
        invoked.push_back(*info);
        return S_OK;
    }
    std::vector<CMINVOKECOMMANDINFO> invoked;
};

TEST_F(CatViewTest, TheChosenEntryIsInvokedWithTheInvocationRecordOfTheList)
{
    WriteVolume({});
    const auto view = ViewOf(*CatalogFolder());
    CViewList& list = Open(*view)->List();
    browser_->Window().show();
    const std::vector<BYTE> root = ForeignRoot();
    const auto item = platform::com::MakeCom<RecordingItem>(
        AsIdList(root), BuildList({{kKindCatalog, "Disc"}, {kKindFile, "song.ogg"}}).get());
    list.InsertItems({item.Get()});
    RightClickAndChoose(list, 0, QStringLiteral("&Add To Favorites..."));
    ASSERT_EQ(item->invoked.size(), 1u);
    const CMINVOKECOMMANDINFO& info = item->invoked[0];
    EXPECT_EQ(info.cbSize, 36u);
    EXPECT_EQ(info.fMask, 0u);
    EXPECT_EQ(info.hwnd, &list);
    ASSERT_TRUE(IS_INTRESOURCE(info.lpVerb));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(info.lpVerb), 29u); // the item's own number
    EXPECT_EQ(info.lpParameters, nullptr);
    EXPECT_EQ(info.lpDirectory, nullptr);
    EXPECT_EQ(info.nShow, 1);
    list.DeleteAllItems();
}

TEST_F(CatViewTest, ActivatingTwiceMergesTheMenusOnceWithTheUnofferedItemsDisabled)
{
    WriteVolume({File("a")});
    const auto view = ViewOf(*CatalogFolder());
    CViewWnd* window = Open(*view);
    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_FOCUS), S_OK);
    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_FOCUS), S_OK);
    const platform::ui::Menu* menu = browser_->Menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(browser_->MenuTarget(), window);
    const platform::ui::Menu* file = menu->FindPopup(FCIDM_MENU_FILE);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetItemID(0), 18u);
    EXPECT_TRUE(file->GetItem(1)->IsSeparator());
    EXPECT_EQ(file->GetItemCount(), 2);
    for (const UINT disabled : {4014u, 4015u, 4016u, 4017u, 4018u, 5u})
        EXPECT_EQ(menu->FindItem(disabled)->state & platform::ui::MFS_GRAYED, platform::ui::MFS_GRAYED) << disabled;
    EXPECT_EQ(menu->FindItem(19)->state, platform::ui::MFS_ENABLED);
    // The view commands sit before the browser's options separator.
    const platform::ui::Menu* viewMenu = menu->FindPopup(FCIDM_MENU_VIEW);
    int details = -1;
    int options = -1;
    for (int i = 0; i < viewMenu->GetItemCount(); ++i) {
        if (viewMenu->GetItem(i)->id == 4)
            details = i;
        if (viewMenu->GetItem(i)->id == FCIDM_MENU_VIEW_SEP_OPTIONS)
            options = i;
    }
    EXPECT_LT(details, options);
    ASSERT_NE(menu->FindItem(9), nullptr); // by Date, in Arrange Icons
    EXPECT_EQ(menu->FindPopup(FCIDM_MENU_HELP)->GetItemID(2), 17u);

    EXPECT_EQ(view->UIActivate(SVUIA_DEACTIVATE), S_OK);
    EXPECT_EQ(browser_->Menu(), nullptr);
}

TEST_F(CatViewTest, PrintAndFindButtonsUseTheStandardImages)
{
    WriteVolume({});
    const auto view = ViewOf(*CatalogFolder());
    Open(*view);
    ASSERT_EQ(browser_->buttons.size(), 2u);
    EXPECT_EQ(browser_->bitmapsAdded, 2);
    EXPECT_EQ(browser_->buttons[0].idCommand, 18);
    EXPECT_EQ(browser_->buttons[0].iBitmap, 100 + STD_PRINT);
    EXPECT_EQ(browser_->buttons[1].idCommand, 19);
    EXPECT_EQ(browser_->buttons[1].iBitmap, 100 + STD_PRINTPRE);
}

TEST_F(CatViewTest, DestroyingTheWindowTwiceIsUnexpectedAndAutoArrangeChangesNothing)
{
    WriteVolume({Dated("b", 1), Dated("a", 2)});
    const auto view = ViewOf(*CatalogFolder());
    CViewWnd* window = Open(*view, FVM_LIST);
    platform::ui::SendMessage(window, WM_COMMAND, 16, 0);
    FOLDERSETTINGS settings;
    EXPECT_EQ(view->GetCurrentInfo(&settings), S_OK);
    EXPECT_EQ(settings.ViewMode, FVM_LIST);
    EXPECT_EQ(Column(window->List()), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(view->DestroyViewWindow(), S_OK);
    EXPECT_EQ(view->DestroyViewWindow(), E_UNEXPECTED);
}

class ShelfViewTest : public ViewsFixture { };

TEST_F(ShelfViewTest, EmptyRootShowsHowToUseAfterTheFillButAnEmptySubFolderDoesNot)
{
    DialogWatcher watcher;
    const auto root = ShelfRoot();
    const auto view = ViewOf(*root);
    CViewWnd* window = Open(*view);
    EXPECT_EQ(window->List().ColumnCount(), 7);
    EXPECT_EQ(watcher.Closed(), 0); // posted: not during the fill
    QCoreApplication::processEvents();
    EXPECT_EQ(watcher.Closed(), 1);
    EXPECT_EQ(view->Refresh(), S_OK);
    QCoreApplication::processEvents();
    EXPECT_EQ(watcher.Closed(), 2);

    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(CatalogDirectory() + "/Empty")));
    EXPECT_EQ(view->Refresh(), S_OK);
    root->LoadChildren(false);
    const auto sub = ComPtr<CCatItem>::AddRefed(root->GetChild(0)).As<IShellFolder>();
    Open(*ViewOf(*sub));
    QCoreApplication::processEvents();
    EXPECT_EQ(watcher.Closed(), 2);
}

TEST_F(ShelfViewTest, GetItemObjectGivesTheSelectedItemsInterfacesOnly)
{
    WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, {});
    const auto root = ShelfRoot();
    const auto view = ViewOf(*root);
    CViewWnd* window = Open(*view);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(view->GetItemObject(SVGIO_SELECTION, IContextMenu::kIid, &out), E_NOTIMPL);
    EXPECT_EQ(out, nullptr);
    window->List().SelectRow(0);
    EXPECT_EQ(view->GetItemObject(SVGIO_BACKGROUND, IContextMenu::kIid, &out), E_NOTIMPL);
    ASSERT_EQ(view->GetItemObject(SVGIO_SELECTION, IContextMenu::kIid, &out), S_OK);
    auto menu = ComPtr<IContextMenu>::Adopt(static_cast<IContextMenu*>(out));
    EXPECT_EQ(platform::com::IdentityOf(menu.Get()), platform::com::IdentityOf(window->List().ItemAt(0)));
}

TEST_F(ShelfViewTest, NewFolderReachesTheShelfFolderShown)
{
    DialogWatcher watcher;
    const auto root = ShelfRoot();
    const auto view = ViewOf(*root);
    CViewWnd* window = Open(*view);
    QCoreApplication::processEvents(); // How to use, for the empty shelf
    ASSERT_EQ(watcher.Closed(), 1);
    platform::ui::SendMessage(window, WM_COMMAND, 4019, 0);
    EXPECT_EQ(watcher.Closed(), 2); // the New Folder dialog, cancelled
}

TEST_F(CatViewTest, FindTwiceOpensTwoIndependentFindWindows)
{
    WriteVolume({File("a.txt")});
    const auto view = ViewOf(*CatalogFolder());
    CViewWnd* window = Open(*view);
    const auto findWindows = [] {
        std::vector<QWidget*> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->objectName() == QStringLiteral("SearchDialog"))
                windows.push_back(widget);
        }
        return windows;
    };
    int mostShown = 0;
    bool ownerless = true;
    QTimer closer;
    // Once both are there, both are closed; the second Find runs while the
    // first window is open, as a user's second click does.
    QObject::connect(&closer, &QTimer::timeout, [&] {
        const auto windows = findWindows();
        mostShown = std::max(mostShown, static_cast<int>(windows.size()));
        for (QWidget* shown : windows)
            ownerless = ownerless && shown->parentWidget() == nullptr;
        if (windows.size() == 1 && mostShown == 1)
            platform::ui::PostCommand(window, kCmdFind);
        if (windows.size() >= 2) {
            for (QWidget* shown : windows)
                shown->close();
        }
    });
    closer.start(20);
    ASSERT_TRUE(platform::ui::PostCommand(window, kCmdFind));
    ASSERT_TRUE(QTest::qWaitFor([&] { return mostShown == 2 && findWindows().empty(); }, 20000));
    EXPECT_TRUE(ownerless);
}

} // namespace
} // namespace pellidor::test
