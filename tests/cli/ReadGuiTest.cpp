// pellidor read --gui, as the file managers' Add to Pellidor runs it: the
// reading dialog over the same reader, the shelf told afterwards, and an
// exit status that says whether a catalog was made.

#include "cli/Commands.h"
#include "module/ChangeNotify.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "reader/ReadProgressDialog.h"
#include "tests/support/CatalogDirectory.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <utility>
#include <vector>

namespace pellidor::test {
namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// A shelf view somewhere: counts the change messages it gets.
class ViewWindow : public QWidget, public platform::ui::MessageHandler {
public:
    ViewWindow() { platform::ui::SetWindowText(this, kViewWindowText); }
    LRESULT HandleMessage(UINT message, WPARAM, LPARAM) override
    {
        if (message == ChangeMessageId())
            ++changes;
        return 0;
    }
    int changes = 0;
};

class ReadGuiTest : public testing::Test {
protected:
    void SetUp() override
    {
        volume_ = TestRoot() + "/My Stick";
        WriteFile(TestPath("My Stick/docs/a.txt"), "hello");
        catalogs_ = TestRoot() + "/catalogs";
        UseCatalogDirectory(catalogs_);
    }

    int Catalogs() const { return static_cast<int>(QDir(Q(catalogs_)).entryList(QDir::Files | QDir::Hidden).size()); }

    // Runs the program and waits with the event loop turning, so that a
    // change message from it is taken in meanwhile.
    static int Run(QProcess& process, const QStringList& arguments)
    {
        process.start(Q(BinDirectory() + "/pellidor"), arguments);
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    std::string volume_;
    std::string catalogs_;
};

TEST_F(ReadGuiTest, ReadsTheFolderUnderTheDialogAndTellsTheShelfOfAnotherProcess)
{
    const bool bus = std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr && platform::ui::ListenForBroadcasts();
    ViewWindow view;
    QProcess process;
    ASSERT_EQ(Run(process, {QStringLiteral("read"), QStringLiteral("--gui"), Q(volume_)}), 0)
        << process.readAllStandardError().toStdString();
    const std::string out = process.readAllStandardOutput().toStdString();
    EXPECT_EQ(out.rfind(catalogs_ + "/", 0), 0u) << out;
    EXPECT_EQ(Catalogs(), 1);
    if (!bus)
        GTEST_SKIP() << "no session bus (DBUS_SESSION_BUS_ADDRESS unset); the shelf's message is not seen";
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.changes > 0; }, 10000)) << "the shelf was not told";
}

TEST_F(ReadGuiTest, WithoutADisplayItSaysSoAndReadsNothing)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    EXPECT_EQ(Run(process, {QStringLiteral("read"), QStringLiteral("--gui"), Q(volume_)}), 1);
    EXPECT_NE(process.readAllStandardError().indexOf("no display"), -1);
    EXPECT_EQ(Catalogs(), 0);

    // A display that Qt would be asked for by name counts the same.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    EXPECT_EQ(Run(process, {QStringLiteral("read"), QStringLiteral("--gui"), Q(volume_)}), 1);
    EXPECT_NE(process.readAllStandardError().indexOf("no display"), -1);
}

// The command as the program runs it, in this process.
int ReadInThisProcess(const std::string& path)
{
    for (const cli::Command& command : cli::AllCommands()) {
        if (std::string(command.name) == "read")
            return command.run({"--gui", path});
    }
    return -1;
}

TEST_F(ReadGuiTest, AReadingThatCannotStartIsShownInABoxAsWell)
{
    std::vector<std::pair<std::string, UINT>> boxes;
    platform::ui::SetMessageBoxHook([&](std::string_view text, std::string_view, UINT type) {
        boxes.emplace_back(std::string(text), type);
        return platform::ui::IDOK_;
    });
    const int status = ReadInThisProcess(TestRoot() + "/nowhere");
    platform::ui::SetMessageBoxHook(nullptr);
    EXPECT_EQ(status, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].first.find("does not exist"), std::string::npos) << boxes[0].first;
    EXPECT_EQ(boxes[0].second & 0xF0, platform::ui::MB_ICONERROR);
    EXPECT_EQ(Catalogs(), 0);
}

TEST_F(ReadGuiTest, CancelInTheDialogLeavesNoCatalogAndFails)
{
    // A tree in memory (quick to make and to remove), deep enough that the
    // reading outlasts the moment its file appears.
    char shm[] = "/dev/shm/pellidor-gui-XXXXXX";
    if (mkdtemp(shm) == nullptr)
        GTEST_SKIP() << "no /dev/shm";
    struct Cleanup {
        QString dir;
        ~Cleanup() { QDir(dir).removeRecursively(); }
    } cleanup{QString::fromLatin1(shm)};
    volume_ = shm;
    for (int i = 0; i < 1500; ++i)
        QDir().mkpath(Q(volume_ + "/f" + std::to_string(i) + "/a/b/c"));
    QFileSystemWatcher watcher({Q(catalogs_)});
    bool clicked = false;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<CReadProgressDialog*>(window);
            if (dialog == nullptr || clicked || Catalogs() == 0)
                continue;
            clicked = !dialog->Reader().isFinished();
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("id2")), Qt::LeftButton);
        }
    });
    EXPECT_EQ(ReadInThisProcess(volume_), 1);
    ASSERT_TRUE(clicked) << "the reading ended before Cancel could be clicked";
    EXPECT_EQ(Catalogs(), 0);
}

} // namespace
} // namespace pellidor::test
