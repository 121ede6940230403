#include "platform/ui/Messages.h"

#include "platform/com/ShellTypes.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <memory>
#include <thread>
#include <vector>

using namespace platform::ui;

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingWindow : public QWidget, public MessageHandler {
public:
    explicit RecordingWindow(QWidget* parent = nullptr) : QWidget(parent) { }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        received.push_back({message, wParam, lParam});
        threads.push_back(QThread::currentThread());
        return 42;
    }
    std::vector<Received> received;
    std::vector<QThread*> threads;
};

} // namespace

TEST(RegisteredMessages, OneIdPerNameWithoutRegardToCase)
{
    const UINT id = RegisterWindowMessage("Test_Message_One");
    EXPECT_GE(id, 0xC000u);
    EXPECT_LE(id, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage("TEST_MESSAGE_ONE"), id);
    EXPECT_EQ(RegisterClipboardFormat("test_message_one"), id); // one table for both
    const UINT other = RegisterClipboardFormat("Shell IDList Array");
    EXPECT_NE(other, id);
    EXPECT_GE(other, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(WindowText, IsTheWidgetsTitleForChildrenToo)
{
    QWidget top;
    QWidget child(&top);
    SetWindowText(&child, "#CatView#");
    EXPECT_EQ(child.windowTitle(), QStringLiteral("#CatView#"));
    EXPECT_EQ(GetWindowText(&child), "#CatView#");
    SetWindowText(&top, "Grüße");
    EXPECT_EQ(GetWindowText(&top), "Grüße");
    EXPECT_EQ(GetWindowText(nullptr), "");
}

TEST(PostMessage, ArrivesLaterOnTheWindowsThread)
{
    RecordingWindow window;
    ASSERT_TRUE(PostMessage(&window, 0x8001, 7, -3));
    EXPECT_TRUE(window.received.empty()); // queued, not called
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.received.empty(); }));
    EXPECT_EQ(window.received[0].message, 0x8001u);
    EXPECT_EQ(window.received[0].wParam, 7u);
    EXPECT_EQ(window.received[0].lParam, -3);
}

TEST(PostMessage, FromAWorkerThreadRunsOnTheWindowsThread)
{
    RecordingWindow window;
    std::thread worker([&] { EXPECT_TRUE(PostMessage(&window, 0x8002, 0, 0)); });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.received.empty(); }));
    EXPECT_EQ(window.threads[0], window.thread());
}

TEST(PostMessage, WindowDestroyedBeforeDeliveryIsSkipped)
{
    auto window = std::make_unique<RecordingWindow>();
    RecordingWindow witness;
    ASSERT_TRUE(PostMessage(window.get(), 0x8003, 0, 0));
    window.reset();
    ASSERT_TRUE(PostMessage(&witness, 0x8003, 0, 0)); // posted after: arrives after
    ASSERT_TRUE(QTest::qWaitFor([&] { return !witness.received.empty(); }));
}

TEST(PostMessage, WindowsWithoutHandlerOrNullRefuse)
{
    QWidget plain;
    EXPECT_FALSE(PostMessage(&plain, 0x8004, 0, 0));
    EXPECT_FALSE(PostMessage(nullptr, 0x8004, 0, 0));
    EXPECT_EQ(SendMessage(&plain, 0x8004, 0, 0), 0);
}

TEST(SendMessage, CallsDirectlyAndAnswers)
{
    RecordingWindow window;
    EXPECT_EQ(SendMessage(&window, 0x8005, 1, 2), 42);
    ASSERT_EQ(window.received.size(), 1u);
}

TEST(PostCommand, IsAQueuedCommandMessage)
{
    RecordingWindow window;
    ASSERT_TRUE(PostCommand(&window, 40001));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.received.empty(); }));
    EXPECT_EQ(window.received[0].message, WM_COMMAND);
    EXPECT_EQ(window.received[0].wParam & 0xFFFF, 40001u);
}

TEST(Broadcast, ReachesExactlyTheWindowsWithThatTextInThisProcess)
{
    const UINT message = RegisterWindowMessage("UM_TEST_BROADCAST");
    RecordingWindow top;
    top.setWindowTitle(QStringLiteral("#CatView#"));
    RecordingWindow inner(&top);
    inner.setWindowTitle(QStringLiteral("#CatView#"));
    RecordingWindow deeper(&inner);
    deeper.setWindowTitle(QStringLiteral("#CatView#"));
    RecordingWindow otherCase;
    otherCase.setWindowTitle(QStringLiteral("#catview#"));
    RecordingWindow longer;
    longer.setWindowTitle(QStringLiteral("#CatView# "));
    RecordingWindow untitled;
    RecordingWindow sentinel;
    sentinel.setWindowTitle(QStringLiteral("#Sentinel#"));

    BroadcastRegisteredMessage("um_test_broadcast", "#CatView#");
    BroadcastRegisteredMessage("UM_TEST_BROADCAST", "#Sentinel#");
    // Posts arrive in order: once the sentinel has it, every earlier post is in.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sentinel.received.empty(); }));
    for (RecordingWindow* window : {&top, &inner, &deeper}) {
        ASSERT_EQ(window->received.size(), 1u);
        EXPECT_EQ(window->received[0].message, message);
        EXPECT_EQ(window->received[0].wParam, 0u);
        EXPECT_EQ(window->received[0].lParam, 0);
    }
    EXPECT_TRUE(otherCase.received.empty());
    EXPECT_TRUE(longer.received.empty());
    EXPECT_TRUE(untitled.received.empty());
}

TEST(Broadcast, FromAWorkerThreadIsQueuedToTheWindows)
{
    RecordingWindow window;
    window.setWindowTitle(QStringLiteral("#Worker#"));
    std::thread worker([] { BroadcastRegisteredMessage("UM_TEST_WORKER", "#Worker#"); });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.received.empty(); }));
    EXPECT_EQ(window.threads[0], window.thread());
}
