// The reader thread: one OK at the end of every reading, whatever became of
// it, delivered to a dialog's window as a queued WM_COMMAND IDOK.

#include "reader/ReadThread.h"
#include "catalog/CatFile.h"
#include "platform/com/ShellTypes.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Messages.h"
#include "reader/ReadProgress.h"
#include "tests/support/CatalogDirectory.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <atomic>

namespace pellidor::test {
namespace {

class Progress final : public CReadProgress { };

// A window that counts the OK commands it is posted.
class OkWindow : public QWidget, public platform::ui::MessageHandler {
public:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message == WM_COMMAND && (wParam & 0xFFFF) == 1) {
            ++oks;
            loop.quit();
        }
        return 0;
    }
    int oks = 0;
    QEventLoop loop;
};

enum class Setup { Completes, DriveNotReady, NoCatalogDirectory, CancelledBeforeStart };

struct ReadCase {
    const char* name;
    Setup setup;
    bool catalogLeft;
};

class ReadThreadTest : public testing::TestWithParam<ReadCase> {
protected:
    void SetUp() override
    {
        root_ = TestPath("volume/sub/file.txt");
        WriteFile(root_, "x");
        root_ = TestRoot() + "/volume";
        catalogs_ = TestRoot() + "/catalogs";
        UseCatalogDirectory(catalogs_);
        WriteFile(TestRoot() + "/drives.table", root_ + "\t5\tDISC\t00C0FFEE\tCDFS\t1000\t0\t1\n");
    }

    std::size_t CatalogCount() const { return QDir(QString::fromStdString(catalogs_)).entryList(QDir::Files).size(); }

    std::string root_;
    std::string catalogs_;
};

TEST_P(ReadThreadTest, ExactlyOneOkIsPostedWhateverTheOutcome)
{
    const ReadCase& c = GetParam();
    Progress progress;
    switch (c.setup) {
    case Setup::DriveNotReady:
        WriteFile(TestRoot() + "/drives.table", root_ + "\t5\t\t0\t\t0\t0\t0\n");
        break;
    case Setup::NoCatalogDirectory:
        platform::registry::DeleteTree(platform::registry::Hive::LocalMachine, kCatDirKey);
        break;
    case Setup::CancelledBeforeStart:
        progress.SetCancelled();
        break;
    case Setup::Completes:
        break;
    }
    OkWindow window;
    CReadThread thread;
    thread.SetRoot(root_);
    thread.SetProgress(&progress, CReadThread::PostOkTo(&window));
    thread.start();
    window.loop.exec();
    ASSERT_TRUE(thread.wait(60000));
    // Anything else posted would be delivered by now.
    QCoreApplication::processEvents();
    EXPECT_EQ(window.oks, 1) << c.name;
    EXPECT_EQ(CatalogCount(), c.catalogLeft ? 1u : 0u) << c.name;
    EXPECT_EQ(thread.CatalogPath().empty(), !c.catalogLeft) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ReadThreadTest,
    testing::Values(ReadCase{"completes", Setup::Completes, true},
        ReadCase{"drive not ready", Setup::DriveNotReady, false},
        ReadCase{"no catalog directory", Setup::NoCatalogDirectory, false},
        ReadCase{"cancelled", Setup::CancelledBeforeStart, false}),
    [](const testing::TestParamInfo<ReadCase>& param) {
        std::string name = param.param.name;
        for (char& ch : name) {
            if (ch == ' ')
                ch = '_';
        }
        return name;
    });

TEST(ReadProgressTest, ShowsTheLastFolderAndCountsTheFolders)
{
    Progress progress;
    EXPECT_TRUE(progress.CurrentPath().empty());
    progress.ShowEntryCount(7);
    progress.ShowPath("/media/cd");
    progress.ShowPath("/media/cd/docs");
    EXPECT_EQ(progress.CurrentPath(), "/media/cd/docs");
    EXPECT_EQ(progress.Folders(), 2u);
    EXPECT_EQ(progress.Entries(), 7u);
    EXPECT_FALSE(progress.IsCancelled());
    progress.SetCancelled();
    EXPECT_TRUE(progress.IsCancelled());
}

} // namespace
} // namespace pellidor::test
