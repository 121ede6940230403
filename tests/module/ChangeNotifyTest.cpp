#include "module/ChangeNotify.h"

#include "platform/com/ShellTypes.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/ui/Messages.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <vector>

using namespace pellidor;

namespace {

// The shelf's class id {4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14} as stored.
#define SHELF_CLSID_BYTES 0x90, 0x2A, 0x7D, 0x4C, 0xB1, 0x83, 0x6F, 0x4E, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14
const std::vector<BYTE> kDesktopList = {0x14, 0x00, 0x1F, 0x00, SHELF_CLSID_BYTES, 0x00, 0x00};
// My Computer {20D04FE0-3AEA-1069-A2D8-08002B30309D}, then the shelf.
const std::vector<BYTE> kMyComputerList = {0x14, 0x00, 0x1F, 0x0F, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2,
    0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D, 0x14, 0x00, 0x2E, 0x00, SHELF_CLSID_BYTES, 0x00, 0x00};
#undef SHELF_CLSID_BYTES

struct Change {
    LONG event;
    std::vector<BYTE> item1;
    std::vector<BYTE> item2;
};

class ViewWindow : public QWidget, public platform::ui::MessageHandler {
public:
    explicit ViewWindow(const char* title, QWidget* parent = nullptr) : QWidget(parent)
    {
        platform::ui::SetWindowText(this, title);
    }
    LRESULT HandleMessage(UINT message, WPARAM, LPARAM) override
    {
        messages.push_back(message);
        return 0;
    }
    std::vector<UINT> messages;
};

} // namespace

TEST(ChangeMessage, IsRegisteredWhileTheLibraryLoads)
{
    // Each test runs in a process of its own: nothing has asked for the id
    // yet, so a name registered now comes after it.
    const UINT later = platform::ui::RegisterWindowMessage("UM_REGISTERED_LATER");
    const UINT id = ChangeMessageId();
    EXPECT_GE(id, 0xC000u);
    EXPECT_LT(id, later);
    EXPECT_EQ(platform::ui::RegisterWindowMessage("um_pellidor_changed"), id);
}

TEST(NotifyCatalogsChanged, WithNoViewOpenOnlyTheTwoShellNotificationsGoOut)
{
    std::vector<Change> changes;
    platform::shell::ScopedChangeObserver observer(
        [&](LONG event, const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
            changes.push_back({event, a, b});
        });
    ViewWindow other("Pellidor");
    ViewWindow sentinel("#Sentinel#");

    NotifyCatalogsChanged();
    platform::ui::BroadcastRegisteredMessage(kChangeMessageName, "#Sentinel#");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sentinel.messages.empty(); }));

    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].event, SHCNE_UPDATEDIR);
    EXPECT_EQ(changes[0].item1, kDesktopList);
    EXPECT_TRUE(changes[0].item2.empty());
    EXPECT_EQ(changes[1].event, SHCNE_UPDATEDIR);
    EXPECT_EQ(changes[1].item1, kMyComputerList);
    EXPECT_TRUE(changes[1].item2.empty());
    EXPECT_TRUE(other.messages.empty());
    EXPECT_EQ(ShelfOnDesktopIdList(), kDesktopList);
    EXPECT_EQ(ShelfInMyComputerIdList(), kMyComputerList);
}

TEST(NotifyCatalogsChanged, PostsTheChangeMessageToEveryViewWindowHere)
{
    ViewWindow top("#CatView#");
    ViewWindow frame("Explorer");
    ViewWindow nested("#CatView#", &frame);
    ViewWindow otherCase("#catview#");
    ViewWindow trailing("#CatView# ");
    ViewWindow sentinel("#Sentinel#");

    NotifyCatalogsChanged();
    EXPECT_TRUE(top.messages.empty()); // posted: the caller never waits for a view
    platform::ui::BroadcastRegisteredMessage(kChangeMessageName, "#Sentinel#");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sentinel.messages.empty(); }));

    EXPECT_EQ(top.messages, std::vector<UINT>{ChangeMessageId()});
    EXPECT_EQ(nested.messages, std::vector<UINT>{ChangeMessageId()});
    EXPECT_TRUE(frame.messages.empty());
    EXPECT_TRUE(otherCase.messages.empty());
    EXPECT_TRUE(trailing.messages.empty());
}

TEST(NotifyCatalogsChanged, ReachesViewWindowsOfAnotherProcess)
{
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
        GTEST_SKIP() << "no session bus (DBUS_SESSION_BUS_ADDRESS unset); run under dbus-run-session";
    ASSERT_TRUE(platform::ui::ListenForBroadcasts());

    QProcess helper;
    helper.start(QString::fromStdString(pellidor::test::BinDirectory() + "/pellidor_platform_helper"),
        {QStringLiteral("windows"), QStringLiteral("main||#CatView#"), QStringLiteral("child|main|#CatView#"),
            QStringLiteral("grandchild|child|#CatView#"), QStringLiteral("frame||Explorer"),
            QStringLiteral("nested|frame|#CatView#"), QStringLiteral("lower||#catview#"),
            QStringLiteral("trailing||#CatView# "), QStringLiteral("sentinel||#Sentinel#")});
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
    ASSERT_TRUE(read("ready\n")) << output.toStdString() << helper.readAllStandardError().toStdString();

    NotifyCatalogsChanged();
    platform::ui::BroadcastRegisteredMessage(kChangeMessageName, "#Sentinel#");
    ASSERT_TRUE(read("message sentinel\n")) << output.toStdString();
    helper.closeWriteChannel();
    EXPECT_TRUE(helper.waitForFinished(30000));

    for (const char* name : {"main", "child", "grandchild", "nested"})
        EXPECT_TRUE(output.contains(QByteArray("message ") + name + '\n')) << name << "\n" << output.toStdString();
    for (const char* name : {"frame", "lower", "trailing"})
        EXPECT_FALSE(output.contains(QByteArray("message ") + name + '\n')) << name << "\n" << output.toStdString();
    EXPECT_EQ(output.count("message main\n"), 1);
}
