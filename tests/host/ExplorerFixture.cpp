#include "tests/host/ExplorerFixture.h"

#include "host/explorer/ShellRegistry.h"
#include "platform/registry/Registry.h"
#include "tests/host/TestServerIds.h"

#include <QDir>
#include <QMenuBar>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace host::explorer::test {

using platform::registry::Hive;
using platform::registry::Key;

namespace {

void SetDefault(Hive hive, const std::string& path, const std::string& value)
{
    Key key;
    ASSERT_EQ(key.Create(hive, path), 0) << path;
    ASSERT_EQ(key.SetString("", value), 0) << path;
}

} // namespace

std::string TestRoot()
{
    const char* root = std::getenv("PELLIDOR_TEST_ROOT");
    if (root == nullptr)
        throw std::logic_error("no test environment");
    return root;
}

std::string BinDirectory()
{
    const char* dir = std::getenv("PELLIDOR_BIN_DIR");
    return dir != nullptr ? dir : ".";
}

std::string TestServerPath()
{
    return BinDirectory() + "/TestServer.so";
}

void RegisterServer(const CLSID& clsid, const std::string& library, const std::string& name)
{
    const std::string key = "CLSID\\" + platform::com::FormatGuid(clsid);
    if (!name.empty())
        SetDefault(Hive::ClassesRoot, key, name);
    SetDefault(Hive::ClassesRoot, key + "\\InprocServer32", library);
}

void SetServerSetting(const char* name, DWORD value)
{
    Key key;
    ASSERT_EQ(key.Create(Hive::ClassesRoot, "CLSID\\" + platform::com::FormatGuid(kJunctionClass) + "\\TestServer"), 0);
    ASSERT_EQ(key.SetDword(name, value), 0);
}

void ExplorerTest::SetUp()
{
    ClearServerLog();
    cdRoot_ = TestRoot() + "/drives/cd";
    stickRoot_ = TestRoot() + "/drives/stick";
    QDir().mkpath(QString::fromStdString(cdRoot_ + "/sub/deeper"));
    QDir().mkpath(QString::fromStdString(stickRoot_ + "/photos"));
    std::ofstream(TestRoot() + "/drives.table") << cdRoot_ << "\t5\tDISC\t1A2B3C4D\tCDFS\t1000\t0\t1\n"
                                                << stickRoot_ << "\t2\tSTICK\t0000BEEF\tFAT32\t4000\t1000\t1\n";

    const std::string junction = platform::com::FormatGuid(kJunctionClass);
    RegisterServer(kJunctionClass, TestServerPath(), "Test Junction");
    RegisterServer(kDriveMenuClass, TestServerPath());
    RegisterServer(kFindClass, TestServerPath());
    SetDefault(Hive::LocalMachine, std::string(kDesktopNamespaceKey) + "\\" + junction, "Test Junction");
    SetDefault(Hive::LocalMachine, std::string(kMyComputerNamespaceKey) + "\\" + junction, "Test Junction");
    SetDefault(Hive::ClassesRoot, std::string(kDriveMenuHandlersKey) + "\\TestMenu",
        platform::com::FormatGuid(kDriveMenuClass));
    const std::string find = std::string(kFindExtensionsKey) + "\\TestFind";
    SetDefault(Hive::LocalMachine, find, platform::com::FormatGuid(kFindClass));
    SetDefault(Hive::LocalMachine, find + "\\0", "With Test ...");
    SetDefault(Hive::LocalMachine, find + "\\0\\DefaultIcon", TestServerPath());
    SetDefault(Hive::LocalMachine, find + "\\0\\HelpText", "Search in Test catalog");
}

void ExplorerTest::TearDown()
{
    window_.reset();
}

ExplorerWindow& ExplorerTest::Window()
{
    if (!window_) {
        window_ = std::make_unique<ExplorerWindow>();
        window_->show();
        // Shortcuts reach only the active window.
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    return *window_;
}

QAction* ExplorerTest::FindAction(const QWidget* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (action->menu() != nullptr) {
            if (QAction* inner = FindAction(action->menu(), text))
                return inner;
        }
    }
    return nullptr;
}

QMenu* ExplorerTest::MenuBarPopup(const QString& title)
{
    for (QAction* action : Window().menuBar()->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

} // namespace host::explorer::test
