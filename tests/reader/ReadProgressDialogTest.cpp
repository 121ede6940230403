// The reading-progress dialog: it ends by itself when the reader is done,
// and each way of ending it early waits for the reader, leaves no unfinished
// catalog, and tells the shelf exactly when it should.

#include "reader/ReadProgressDialog.h"

#include "module/ChangeNotify.h"
#include "pages/PathLine.h"
#include "platform/com/ShellTypes.h"
#include "platform/ui/Messages.h"
#include "tests/support/CatalogDirectory.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMovie>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace pellidor::test {
namespace {

// A view window: counts the change messages it is posted. With a session
// bus a message may come twice (directly and over the bus), which is
// harmless: a view only refreshes.
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

class ReadProgressDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        root_ = TestRoot() + "/disc";
        catalogs_ = TestRoot() + "/catalogs";
        UseCatalogDirectory(catalogs_);
        WriteFile(TestRoot() + "/drives.table", root_ + "\t5\tDISC\t00C0FFEE\tCDFS\t1000\t0\t1\n");
    }

    // A tree big enough that the reader is still at work when the first
    // event after the dialog appears is handled.
    void MakeBigTree()
    {
        for (int i = 0; i < 200; ++i)
            QDir().mkpath(QString::fromStdString(root_ + "/f" + std::to_string(i) + "/a/b/c"));
    }

    int Catalogs() const
    {
        return static_cast<int>(QDir(QString::fromStdString(catalogs_)).entryList(QDir::Files | QDir::Hidden).size());
    }

    // Runs the dialog; `act` runs first thing once it shows.
    int Run(const std::function<void(CReadProgressDialog&)>& act)
    {
        CReadProgressDialog dialog(root_);
        if (act)
            QTimer::singleShot(0, &dialog, [&] { act(dialog); });
        const int result = dialog.exec();
        EXPECT_TRUE(dialog.Reader().isFinished());
        QApplication::processEvents(); // the change message, when posted
        return result;
    }

    std::string root_;
    std::string catalogs_;
    ViewWindow view_;
};

TEST_F(ReadProgressDialogTest, EndsByItselfWithACatalogAndTellsTheShelf)
{
    WriteFile(TestPath("disc/docs/a.txt"), "a");
    EXPECT_EQ(Run(nullptr), QDialog::Accepted);
    EXPECT_EQ(Catalogs(), 1);
    EXPECT_GE(view_.changes, 1);
}

TEST_F(ReadProgressDialogTest, EnterDuringTheReadingCancelsItButStillTellsTheShelf)
{
    MakeBigTree();
    const int result = Run([](CReadProgressDialog& dialog) {
        ASSERT_FALSE(dialog.Reader().isFinished());
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(Catalogs(), 0);
    EXPECT_GE(view_.changes, 1);
}

TEST_F(ReadProgressDialogTest, ClosingFromTheSystemMenuWaitsAndLeavesNoUnfinishedCatalog)
{
    MakeBigTree();
    const int result = Run([](CReadProgressDialog& dialog) {
        ASSERT_FALSE(dialog.Reader().isFinished());
        dialog.close();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(Catalogs(), 0);
    EXPECT_EQ(view_.changes, 0);
}

TEST_F(ReadProgressDialogTest, CancelStopsTheAnimationAndTellsNobody)
{
    MakeBigTree();
    QPushButton* cancel = nullptr;
    QMovie* animation = nullptr;
    const int result = Run([&](CReadProgressDialog& dialog) {
        animation = dialog.Animation();
        EXPECT_EQ(animation->state(), QMovie::Running);
        EXPECT_GT(animation->frameCount(), 1);
        cancel = dialog.findChild<QPushButton*>(QStringLiteral("id2"));
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        EXPECT_FALSE(cancel->isEnabled());
        EXPECT_EQ(animation->state(), QMovie::NotRunning);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(Catalogs(), 0);
    EXPECT_EQ(view_.changes, 0);
}

TEST(PathLine, ALongPathIsShownWithItsMiddleElidedAndItsAmpersandsKept)
{
    CPathLine line;
    line.resize(300, 20);
    const std::string path = "/media/disc/" + std::string(200, 'x') + "/Tom & Jerry.txt";
    line.ShowPath(path);
    const QString shown = line.DisplayedText();
    EXPECT_LT(shown.size(), static_cast<qsizetype>(path.size()));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/media/disc/"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/Tom & Jerry.txt"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LE(line.fontMetrics().horizontalAdvance(shown), line.width());
    line.ShowPath("/short");
    EXPECT_EQ(line.DisplayedText(), QStringLiteral("/short"));
}

} // namespace
} // namespace pellidor::test
