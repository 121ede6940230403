#include "platform/shell/ChangeNotify.h"

#include "platform/com/ShellTypes.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include <cstdlib>

#include <optional>
#include <vector>

using namespace platform::shell;

namespace {

struct Change {
    LONG event;
    std::vector<BYTE> item1;
    std::vector<BYTE> item2;
};

} // namespace

TEST(ChangeNotify, ObserversGetTheListBytesUpToTheTerminator)
{
    // Two elements (4 and 3 bytes), the terminator, then bytes that are not
    // the list's.
    const std::vector<BYTE> list = {4, 0, 0xAA, 0xBB, 3, 0, 0xCC, 0, 0, 0xEE, 0xEE};
    std::vector<Change> changes;
    ScopedChangeObserver observer([&](LONG event, const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
        changes.push_back({event, a, b});
    });

    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, list.data(), nullptr);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].event, SHCNE_UPDATEDIR);
    EXPECT_EQ(changes[0].item1, std::vector<BYTE>(list.begin(), list.begin() + 9));
    EXPECT_TRUE(changes[0].item2.empty());

    const std::vector<BYTE> empty = {0, 0};
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, empty.data(), list.data());
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].item1, empty);
    EXPECT_EQ(changes[1].item2.size(), 9u);

    // Other forms than identifier lists come without items.
    SHChangeNotify(SHCNE_UPDATEDIR, 0x0005, list.data(), nullptr);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_TRUE(changes[2].item1.empty());
}

TEST(ChangeNotify, ARunawayListIsCutOffWithATerminator)
{
    // Elements of 0x100 bytes with no terminator for 128 KiB.
    std::vector<BYTE> runaway(128 * 1024, 0);
    for (std::size_t i = 0; i + 1 < runaway.size(); i += 0x100)
        runaway[i + 1] = 0x01;
    const std::vector<BYTE> bytes = IdListBytes(runaway.data());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_LE(bytes.size(), 64u * 1024u);
    EXPECT_EQ(bytes[bytes.size() - 1], 0);
    EXPECT_EQ(bytes[bytes.size() - 2], 0);
    EXPECT_EQ((bytes.size() - 2) % 0x100, 0u);
}

TEST(ChangeNotify, AnElementTooSmallForItsSizeEndsTheList)
{
    const std::vector<BYTE> list = {3, 0, 1, 1, 0, 9, 9};
    EXPECT_EQ(IdListBytes(list.data()), (std::vector<BYTE>{3, 0, 1, 0, 0}));
    EXPECT_TRUE(IdListBytes(nullptr).empty());
}

TEST(ChangeNotify, RemovedObserversHearNothingAndMayRemoveThemselves)
{
    const std::vector<BYTE> list = {0, 0};
    int calls = 0;
    std::optional<int> self;
    self = AddChangeObserver([&](LONG, const std::vector<BYTE>&, const std::vector<BYTE>&) {
        ++calls;
        RemoveChangeObserver(*self);
    });
    int other = 0;
    {
        ScopedChangeObserver scoped([&](LONG, const std::vector<BYTE>&, const std::vector<BYTE>&) { ++other; });
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, list.data(), nullptr);
    }
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, list.data(), nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(other, 1);
    EXPECT_NE(*self, 0);
}

TEST(ChangeNotify, ChangesToldByAnotherProcessReachListeningObserversBounded)
{
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
        GTEST_SKIP() << "no session bus (DBUS_SESSION_BUS_ADDRESS unset); run under dbus-run-session";
    ASSERT_TRUE(ListenForChangeNotifications());
    std::vector<std::vector<BYTE>> told;
    // Other test processes announce their own changes on the same bus: only
    // the lists this test sends (they start 0x11 0x22) are counted.
    ScopedChangeObserver observer([&](LONG, const std::vector<BYTE>& item, const std::vector<BYTE>&) {
        if (item.size() >= 4 && item[2] == 0x11 && item[3] == 0x22)
            told.push_back(item);
    });
    const auto tell = [](const char* hex) {
        QProcess helper;
        helper.start(QString::fromStdString(pellidor::test::BinDirectory() + "/pellidor_platform_helper"),
            {QStringLiteral("change-notify"), QString::fromLatin1(hex)});
        return helper.waitForFinished(30000) && helper.exitCode() == 0;
    };
    // A whole list; then one whose second element claims more than was sent.
    ASSERT_TRUE(tell("0400112203003300"));
    ASSERT_TRUE(tell("04001122FF0033"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.size() == 2; }, 30000));
    EXPECT_EQ(told[0], (std::vector<BYTE>{4, 0, 0x11, 0x22, 3, 0, 0x33, 0, 0}));
    EXPECT_EQ(told[1], (std::vector<BYTE>{4, 0, 0x11, 0x22, 0, 0}));
}
