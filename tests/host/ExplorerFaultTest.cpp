// Extensions that misbehave, and input from outside that does not hold: the
// explorer skips or refuses them, says so, and keeps working.

#include "host/explorer/ModuleCache.h"
#include "host/explorer/NamespaceModel.h"
#include "host/explorer/ShellRegistry.h"
#include "host/explorer/Startup.h"
#include "platform/registry/Registry.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/system/MoveFile.h"
#include "tests/host/ExplorerFixture.h"
#include "tests/host/TestServerIds.h"

#include <QFile>
#include <QMenu>
#include <QStatusBar>
#include <QTest>

using namespace host::explorer;
using namespace host::explorer::test;
using platform::registry::Hive;

namespace {

constexpr CLSID kMissingLibraryClass
    = MakeGuid(0x6A1E0C10, 0x5B2D, 0x4F3A, 0x8C, 0x11, 0x0D, 0x7E, 0x9F, 0x20, 0xB0, 0x01);
constexpr CLSID kNoExportsClass = MakeGuid(0x6A1E0C10, 0x5B2D, 0x4F3A, 0x8C, 0x11, 0x0D, 0x7E, 0x9F, 0x20, 0xB0, 0x02);

void ListOnDesktop(const CLSID& clsid, const std::string& name)
{
    platform::registry::Key key;
    ASSERT_EQ(
        key.Create(Hive::LocalMachine, std::string(kDesktopNamespaceKey) + "\\" + platform::com::FormatGuid(clsid)), 0);
    RegisterServer(clsid, name.empty() ? std::string() : name, "Broken " + platform::com::FormatGuid(clsid));
}

QStringList DesktopNames(ExplorerWindow& window)
{
    QStringList names;
    for (NamespaceItem* child : window.Model()->Children(window.Model()->Desktop()))
        names.append(child->text());
    return names;
}

} // namespace

TEST_F(ExplorerTest, BrokenRegistrationsAreSkippedAndEachIsSaidOnceOnStderr)
{
    ListOnDesktop(kMissingLibraryClass, TestRoot() + "/no-such-library.so");
    ListOnDesktop(kNoExportsClass, BinDirectory() + "/NoExports.so");
    ListOnDesktop(kRefusingClass, TestServerPath());
    testing::internal::CaptureStderr();
    ExplorerWindow& window = Window();
    const QStringList names = DesktopNames(window);
    window.Model()->Refresh(window.Model()->Desktop());
    window.Model()->Refresh(window.Model()->Desktop());
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(names.contains(QStringLiteral("Test Junction")));
    EXPECT_EQ(names.filter(QStringLiteral("Broken")), QStringList());
    for (const CLSID& clsid : {kMissingLibraryClass, kNoExportsClass, kRefusingClass}) {
        const std::string entry = platform::com::FormatGuid(clsid);
        const std::size_t first = said.find(entry);
        EXPECT_NE(first, std::string::npos) << entry;
        EXPECT_EQ(said.find(entry, first + 1), std::string::npos) << said;
    }
    // The good junction still works.
    EXPECT_TRUE(window.Navigate(platform::shell::DesktopJunctionIdList(kJunctionClass)));
    EXPECT_NE(window.ActiveView(), nullptr);
}

TEST_F(ExplorerTest, BrokenMenuHandlersAndFindEntriesAreSkipped)
{
    // A handler named by its key (not its default value) whose library is
    // missing, before the good one; a Find entry whose class refuses.
    RegisterServer(kMissingLibraryClass, TestRoot() + "/no-such-library.so");
    platform::registry::Key key;
    ASSERT_EQ(key.Create(Hive::ClassesRoot,
                  std::string(kDriveMenuHandlersKey) + "\\" + platform::com::FormatGuid(kMissingLibraryClass)),
        0);
    ASSERT_EQ(key.Create(Hive::LocalMachine, std::string(kFindExtensionsKey) + "\\Broken"), 0);
    ASSERT_EQ(key.SetString("", platform::com::FormatGuid(kRefusingClass)), 0);
    ASSERT_EQ(key.Create(Hive::LocalMachine, std::string(kFindExtensionsKey) + "\\Broken\\0"), 0);
    ASSERT_EQ(key.SetString("", "Broken find"), 0);
    testing::internal::CaptureStderr();

    QMenu* menu = Window().ShowDriveMenu({cdRoot_}, QPoint(10, 10));
    EXPECT_NE(FindAction(menu, QStringLiteral("Test &Drive Command")), nullptr);
    menu->close();
    QAction* broken = FindAction(MenuBarPopup(QStringLiteral("&Tools")), QStringLiteral("Broken find"));
    ASSERT_NE(broken, nullptr);
    broken->trigger();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(platform::com::FormatGuid(kMissingLibraryClass)), std::string::npos) << said;
    EXPECT_NE(said.find(platform::com::FormatGuid(kRefusingClass)), std::string::npos) << said;
    // The good Find entry still runs.
    FindAction(MenuBarPopup(QStringLiteral("&Tools")), QStringLiteral("With Test ..."))->trigger();
    EXPECT_TRUE(ServerLog().contains(QStringLiteral("find invoked")));
}

class FailingView : public ExplorerTest, public testing::WithParamInterface<ViewFault> { };

TEST_P(FailingView, LeavesAMessageInThePaneAndTheWindowWorking)
{
    SetServerSetting(kViewFaultValue, GetParam());
    ExplorerWindow& window = Window();
    ASSERT_TRUE(window.Navigate(platform::shell::DesktopJunctionIdList(kJunctionClass)));
    if (GetParam() == kViewWindowDestroysItself) {
        // Its window goes away under the explorer's hands; nothing breaks.
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.ViewWindow() == nullptr; }));
    } else {
        EXPECT_EQ(window.ActiveView(), nullptr);
        EXPECT_EQ(window.PaneMessage(), QStringLiteral("The view of this folder could not be created."));
    }
    EXPECT_TRUE(window.Navigate(platform::shell::MyComputerIdList()));
    EXPECT_EQ(window.ActiveView(), nullptr);
    window.GoBack();
    EXPECT_EQ(window.Location(), platform::shell::DesktopJunctionIdList(kJunctionClass));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailingView, testing::Values(kViewWindowFails, kViewWindowNull, kViewWindowDestroysItself));

TEST_F(ExplorerTest, CommandLineListThatFailsTheCheckOpensMyComputerWithAMessage)
{
    // An element that claims more bytes than the list holds.
    testing::internal::CaptureStderr();
    const std::unique_ptr<ExplorerWindow> window = StartExplorer({QStringLiteral("2F00AB2F2F0000")});
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(window->Location(), platform::shell::MyComputerIdList());
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("The location is not a valid identifier list."));
    EXPECT_NE(said.find("not a valid identifier list"), std::string::npos);
}

TEST_F(ExplorerTest, CommandLineOpensAListOrAFolder)
{
    const std::vector<BYTE> sub
        = platform::shell::AppendFileSystemItem(platform::shell::DriveIdList(cdRoot_), "sub", true);
    QString hex = QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(sub.data()), static_cast<qsizetype>(sub.size())).toHex());
    EXPECT_EQ(StartExplorer({hex})->Location(), sub);
    EXPECT_EQ(StartExplorer({QString::fromStdString(cdRoot_ + "/sub/")})->Location(), sub);
    EXPECT_EQ(StartExplorer({})->Location(), platform::shell::MyComputerIdList());
    QString message;
    EXPECT_EQ(LocationFromArgument(TestRoot() + "/not-there", &message), platform::shell::MyComputerIdList());
    EXPECT_FALSE(message.isEmpty());
}

TEST_F(ExplorerTest, NextStartListIsCarriedOutBeforeAnyLibraryLoads)
{
    // The registered library exists only once the pending move has run.
    const std::string installed = TestRoot() + "/system/TestServer.so";
    const std::string staged = TestRoot() + "/system/TestServer.001";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(TestRoot() + "/system")));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(TestServerPath()), QString::fromStdString(staged)));
    RegisterServer(kJunctionClass, installed, "Test Junction");
    ASSERT_TRUE(platform::system::MoveFileEx(staged, installed,
        platform::system::MOVEFILE_REPLACE_EXISTING | platform::system::MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_FALSE(QFile::exists(QString::fromStdString(installed)));

    const std::unique_ptr<ExplorerWindow> window = StartExplorer({});
    EXPECT_TRUE(platform::system::PendingMoves().empty());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(installed)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(staged)));
    // My Computer lists the junction: its library loaded from the new place.
    EXPECT_TRUE(window->Navigate(platform::shell::MyComputerJunctionIdList(kJunctionClass)));
    EXPECT_NE(window->ActiveView(), nullptr);
}
