// The explorer's Favorites menu: the Favorites folder as menus, links opened
// by browsing to their targets, other files by their applications.

#include "host/explorer/BrowserMenus.h"
#include "platform/com/CoCreate.h"
#include "platform/com/ComPtr.h"
#include "platform/shell/Execute.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/shell/ShellLink.h"
#include "platform/system/Paths.h"
#include "tests/host/ExplorerFixture.h"
#include "tests/host/TestServerIds.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStatusBar>

#include <string>
#include <vector>

using namespace host::explorer;
using namespace host::explorer::test;
using platform::com::ComPtr;

namespace {

std::string FavoritesPath(const std::string& relative)
{
    const std::string path = platform::system::FavoritesDirectory() + "/" + relative;
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    return path;
}

void WriteLink(const std::string& path, const std::vector<BYTE>& target)
{
    ComPtr<IShellLinkA> link;
    ASSERT_EQ(platform::com::CoCreateInstance(platform::shell::CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                  IShellLinkA::kIid, link.ReceiveVoid()),
        S_OK);
    ASSERT_EQ(link->SetIDList(reinterpret_cast<LPCITEMIDLIST>(target.data())), S_OK);
    ASSERT_EQ(link.As<IPersistFile>()->Save(QString::fromStdString(path).toStdU16String().c_str(), TRUE_), S_OK);
}

void WriteText(const std::string& path, const char* text)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A folder of the test server's junction on the Desktop.
std::vector<BYTE> JunctionFolder()
{
    const std::vector<BYTE> second = {12, 0, 'T', 'S', 1, 0, 0, 0, 1, 0, 0, 0};
    return platform::shell::AppendElement(
        platform::shell::DesktopJunctionIdList(kJunctionClass), second.data(), second.size());
}

// The menu's entries as "text" and, for a submenu, "text[entries]".
QString Shape(const QMenu* menu)
{
    QStringList entries;
    for (const QAction* action : menu->actions()) {
        QString entry = action->text();
        if (action->menu() != nullptr)
            entry += QLatin1Char('[') + Shape(action->menu()) + QLatin1Char(']');
        else if (!action->isEnabled())
            entry += QStringLiteral("(off)");
        entries.push_back(entry);
    }
    return entries.join(QLatin1Char(','));
}

class ExplorerFavoritesTest : public ExplorerTest {
protected:
    void TearDown() override
    {
        platform::shell::SetExecuteHook(nullptr);
        ExplorerTest::TearDown();
    }

    // The Favorites menu as it is when the user opens it.
    QMenu* OpenFavorites()
    {
        QMenu* menu = MenuBarPopup(QStringLiteral("F&avorites"));
        if (menu != nullptr)
            Q_EMIT menu->aboutToShow();
        return menu;
    }
};

} // namespace

TEST_F(ExplorerFavoritesTest, MenuShowsSubFoldersAsMenusThenLinksByNameThenOtherFiles)
{
    WriteLink(FavoritesPath("Work/Reports.lnk"), JunctionFolder());
    QDir().mkpath(QString::fromStdString(FavoritesPath("Empty")));
    WriteLink(FavoritesPath("Test folder.lnk"), JunctionFolder());
    WriteText(FavoritesPath("notes.txt"), "notes");
    QMenu* menu = OpenFavorites();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Shape(menu), QStringLiteral("Empty[(Empty)(off)],Work[Reports],notes.txt,Test folder"));
    // Opened again, it is built anew without keeping the old sub-menus.
    Q_EMIT menu->aboutToShow();
    EXPECT_EQ(Shape(menu), QStringLiteral("Empty[(Empty)(off)],Work[Reports],notes.txt,Test folder"));
    EXPECT_EQ(menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly).size(), 2);
}

TEST_F(ExplorerFavoritesTest, LinkBrowsesToItsTarget)
{
    ExplorerWindow& window = Window();
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    // Added while the window is open: seen when the menu opens.
    WriteLink(FavoritesPath("Trips/Test folder.lnk"), JunctionFolder());
    QMenu* menu = OpenFavorites();
    ASSERT_NE(menu, nullptr);
    QAction* link = FindAction(menu, QStringLiteral("Test folder"));
    ASSERT_NE(link, nullptr);
    link->trigger();
    EXPECT_EQ(window.Location(), JunctionFolder());
}

TEST_F(ExplorerFavoritesTest, DamagedLinkIsSaidInTheStatusBarAndTheWindowStays)
{
    ExplorerWindow& window = Window();
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    WriteText(FavoritesPath("Broken.lnk"), "PLNK\x01");
    int executed = 0;
    platform::shell::SetExecuteHook([&](const platform::shell::ExecuteRequest&) {
        ++executed;
        return platform::shell::kExecuteOk;
    });
    QAction* link = FindAction(OpenFavorites(), QStringLiteral("Broken"));
    ASSERT_NE(link, nullptr);
    link->trigger();
    EXPECT_EQ(window.Location(), platform::shell::MyComputerIdList());
    EXPECT_EQ(window.statusBar()->currentMessage(), QStringLiteral("The favorite Broken cannot be read."));
    EXPECT_EQ(executed, 0);
}

TEST_F(ExplorerFavoritesTest, OtherFileOpensWithItsApplication)
{
    ExplorerWindow& window = Window();
    ASSERT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    const std::string notes = FavoritesPath("Work/notes.txt");
    WriteText(notes, "notes");
    std::vector<std::string> opened;
    platform::shell::SetExecuteHook([&](const platform::shell::ExecuteRequest& request) {
        opened.push_back(request.file);
        return platform::shell::kExecuteOk;
    });
    QAction* file = FindAction(OpenFavorites(), QStringLiteral("notes.txt"));
    ASSERT_NE(file, nullptr);
    file->trigger();
    EXPECT_EQ(opened, std::vector<std::string>{notes});
    EXPECT_EQ(window.Location(), platform::shell::MyComputerIdList());
}
