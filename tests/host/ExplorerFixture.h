#pragma once
// The world of an explorer test: two drives in the test's drive table, the
// test server registered as the Desktop's and My Computer's junction, as a
// drive context-menu handler and as a Find entry, and a window.

#include "host/explorer/ExplorerWindow.h"
#include "platform/com/Types.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace host::explorer::test {

// The test's temporary directory (also $HOME).
std::string TestRoot();
// The directory of the built programs and libraries.
std::string BinDirectory();
std::string TestServerPath();

// Registers the class as served by `library` (InprocServer32).
void RegisterServer(const CLSID& clsid, const std::string& library, const std::string& name = {});
void SetServerSetting(const char* name, DWORD value);

class ExplorerTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the window (after a test changed the registry, if it wants to).
    ExplorerWindow& Window();

    std::string cdRoot_;
    std::string stickRoot_;

    // The action with this text in the menu (searched in submenus too), or null.
    static QAction* FindAction(const QWidget* menu, const QString& text);
    // The pop-up of the window's menu bar with this title, or null.
    QMenu* MenuBarPopup(const QString& title);

private:
    std::unique_ptr<ExplorerWindow> window_;
};

} // namespace host::explorer::test
