#include "pages/InsertMediumDialog.h"
#include "pages/DriveComboBox.h"
#include "tests/items/ItemFixture.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace pellidor;
using namespace pellidor::test;

namespace {

constexpr DWORD kSerial = 0x1234ABCD;
constexpr DWORD kOtherSerial = 0x0BADF00D;
constexpr int kWaitMs = 10000;

// Every insert-medium dialog that is shown, handed to `onShown` once it runs
// its own event loop; without a handler it is cancelled, so a dialog that
// should not appear fails the test instead of hanging it.
class DialogSpy : public QObject {
public:
    explicit DialogSpy(std::function<void(CInsertMediumDialog&)> onShown = {}) : onShown_(std::move(onShown))
    {
        qApp->installEventFilter(this);
    }
    ~DialogSpy() override { qApp->removeEventFilter(this); }
    int Shown() const { return shown_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<CInsertMediumDialog*>(watched);
        if (dialog != nullptr && event->type() == QEvent::Show) {
            ++shown_;
            // Queued: the dialog's modal loop is running by then.
            QMetaObject::invokeMethod(
                dialog,
                [this, dialog] {
                    if (onShown_)
                        onShown_(*dialog);
                    else
                        dialog->reject();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void(CInsertMediumDialog&)> onShown_;
    int shown_ = 0;
};

struct Drive {
    std::string name; // folder below the test root
    int type;
    DWORD serial;
    bool ready;
    bool holdsFile = true;
};

// A catalogued file docs/readme.txt of the volume with kSerial, and drives
// in a drive table whose roots are folders of the test.
class InsertMediumTest : public testing::Test {
protected:
    void SetUp() override
    {
        item = MakeItem({{kKindCatalog, "/cat/0000ABCD.pld", kAttrDirectory, kRootList},
                            {kKindFolder, "docs", kAttrDirectory, 500}, {kKindFile, "readme.txt", kAttrArchive, 5}},
            MakeHeader(kSerial, "Holidays"));
        ASSERT_NE(item.Get(), nullptr);
        SetMediumPrompt(&InsertMediumPrompt());
    }
    void TearDown() override { SetMediumPrompt(nullptr); }

    static std::string Root(const std::string& name) { return TestRoot() + "/" + name; }

    static void SetDrives(const std::vector<Drive>& drives)
    {
        std::string table;
        char serial[16];
        for (const Drive& drive : drives) {
            QDir().mkpath(QString::fromStdString(Root(drive.name) + "/docs"));
            const std::string file = Root(drive.name) + "/docs/readme.txt";
            if (drive.holdsFile)
                WriteFile(file, "hello");
            else
                std::remove(file.c_str());
            std::snprintf(serial, sizeof serial, "%08X", drive.serial);
            table += Root(drive.name) + "\t" + std::to_string(drive.type) + "\tLABEL\t" + serial + "\tiso9660\t100\t0\t"
                + (drive.ready ? "1" : "0") + "\n";
        }
        WriteFile(std::getenv("PELLIDOR_DRIVES"), table);
    }

    static int IndexOf(const CDriveComboBox& list, const std::string& name)
    {
        return list.findText(QString::fromStdString(Root(name)));
    }

    platform::com::ComPtr<CCatItem> item;
};

TEST_F(InsertMediumTest, MediumInAnOpticalDriveIsFoundWithoutTheDialog)
{
    // The removable drive comes first and holds the medium too, and another
    // disc is in the first optical drive: only the right optical drive counts.
    SetDrives({{"usb", 2, kSerial, true}, {"cd0", 5, kOtherSerial, true}, {"cd1", 5, kSerial, true}});
    DialogSpy spy;
    std::string root;
    EXPECT_TRUE(FindTheMedium(*item, nullptr, &root));
    EXPECT_EQ(root, Root("cd1"));
    EXPECT_EQ(spy.Shown(), 0);
}

TEST_F(InsertMediumTest, MediumInARemovableDriveNeedsTheDialog)
{
    SetDrives({{"disk", 3, kSerial, true}, {"cd", 5, kSerial, false}, {"usb", 2, kSerial, true}});
    QStringList listed;
    DialogSpy spy([&](CInsertMediumDialog& dialog) {
        for (int i = 0; i < dialog.DriveList()->count(); ++i)
            listed.append(dialog.DriveList()->itemText(i));
        dialog.DriveList()->setCurrentIndex(IndexOf(*dialog.DriveList(), "usb"));
        dialog.accept();
    });
    std::string root;
    EXPECT_TRUE(FindTheMedium(*item, nullptr, &root));
    EXPECT_EQ(spy.Shown(), 1);
    EXPECT_EQ(root, Root("usb"));
    // Only drives for removable media, in the platform's order.
    EXPECT_EQ(listed, (QStringList{QString::fromStdString(Root("cd")), QString::fromStdString(Root("usb"))}));
}

TEST_F(InsertMediumTest, OkStaysOpenUntilTheDriveHoldsTheMediumAndCancelGivesUp)
{
    // The removable medium has the right serial but lacks the file.
    SetDrives({{"cd", 5, kOtherSerial, true}, {"usb", 2, kSerial, true, false}});
    bool stayedOpen = false;
    DialogSpy spy([&](CInsertMediumDialog& dialog) {
        dialog.accept(); // the first entry: the wrong disc
        dialog.DriveList()->setCurrentIndex(IndexOf(*dialog.DriveList(), "usb"));
        dialog.accept(); // the right volume without the file
        stayedOpen = dialog.isVisible() && dialog.DriveRoot().empty();
        auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("id2"));
        ASSERT_NE(nullptr, cancel);
        cancel->click();
    });
    std::string root = "untouched";
    EXPECT_FALSE(FindTheMedium(*item, nullptr, &root));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(root, "untouched");
}

TEST_F(InsertMediumTest, DialogConfirmsItselfWhenTheRightMediumArrives)
{
    SetDrives({{"usb", 2, kSerial, true, false}, {"cd", 5, kSerial, false}});
    CInsertMediumDialog dialog(MediumQueryFor(*item), nullptr);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    EXPECT_EQ(dialog.DriveList()->currentIndex(), 0);

    SetDrives({{"usb", 2, kSerial, true, false}, {"cd", 5, kSerial, true}});
    ASSERT_TRUE(finished.wait(kWaitMs));
    EXPECT_EQ(finished.first().first().toInt(), QDialog::Accepted);
    EXPECT_EQ(dialog.DriveRoot(), Root("cd"));
}

TEST_F(InsertMediumTest, WrongMediumArrivingSelectsItsDriveAndLeavesTheDialogOpen)
{
    SetDrives({{"usb", 2, kSerial, true, false}, {"cd", 5, kSerial, false}});
    CInsertMediumDialog dialog(MediumQueryFor(*item), nullptr);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    const int cd = IndexOf(*dialog.DriveList(), "cd");
    ASSERT_EQ(dialog.DriveList()->currentIndex(), 0);

    SetDrives({{"usb", 2, kSerial, true, false}, {"cd", 5, kOtherSerial, true}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.DriveList()->currentIndex() == cd; }, kWaitMs));
    // The confirmation was posted with the selection; let it run.
    QCoreApplication::sendPostedEvents(&dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(finished.count(), 0);

    // The right disc in its place still closes the dialog.
    SetDrives({{"usb", 2, kSerial, true, false}, {"cd", 5, kSerial, true}});
    dialog.OnVolumeArrived(QString::fromStdString(Root("cd")));
    ASSERT_TRUE(finished.wait(kWaitMs));
    EXPECT_EQ(dialog.DriveRoot(), Root("cd"));
}

TEST_F(InsertMediumTest, VolumeOnARootOutsideTheListChangesNothing)
{
    SetDrives({{"usb", 2, kSerial, true, false}, {"cd", 5, kSerial, false}, {"share", 4, kSerial, true}});
    CInsertMediumDialog dialog(MediumQueryFor(*item), nullptr);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    dialog.DriveList()->setCurrentIndex(1);

    dialog.OnVolumeArrived(QString::fromStdString(Root("share")));
    dialog.OnVolumeArrived(QString::fromStdString(Root("cd") + "rom")); // a longer root is another drive
    QCoreApplication::sendPostedEvents(&dialog);
    EXPECT_EQ(dialog.DriveList()->currentIndex(), 1);
    EXPECT_EQ(dialog.DriveList()->count(), 2);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(finished.count(), 0);
}

TEST_F(InsertMediumTest, RemovableDriveMountedAfterTheDialogOpenedIsListedAndTaken)
{
    // A stick gets its mount point only when it is mounted.
    SetDrives({{"cd", 5, kOtherSerial, true}});
    CInsertMediumDialog dialog(MediumQueryFor(*item), nullptr);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    ASSERT_EQ(dialog.DriveList()->count(), 1);

    SetDrives({{"cd", 5, kOtherSerial, true}, {"usb", 2, kSerial, true}});
    ASSERT_TRUE(finished.wait(kWaitMs));
    EXPECT_EQ(finished.first().first().toInt(), QDialog::Accepted);
    EXPECT_EQ(dialog.DriveRoot(), Root("usb"));
}

TEST_F(InsertMediumTest, DialogShowsTheFileAndTheVolume)
{
    SetDrives({});
    CInsertMediumDialog dialog(MediumQueryFor(*item), nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Pellidor"));
    const auto* file = dialog.findChild<QLabel*>(QStringLiteral("id1013"));
    const auto* volume = dialog.findChild<QLabel*>(QStringLiteral("id1028"));
    const auto* icon = dialog.findChild<QLabel*>(QStringLiteral("id1022"));
    ASSERT_NE(nullptr, file);
    ASSERT_NE(nullptr, volume);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(file->text(), QStringLiteral("readme.txt"));
    EXPECT_EQ(volume->text(), QStringLiteral("Holidays"));
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_FALSE(dialog.windowIcon().isNull());
    // No drive at all: OK cannot succeed.
    EXPECT_EQ(dialog.DriveList()->count(), 0);
    EXPECT_EQ(dialog.DriveList()->SelectedText(), "");
    dialog.show();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
}

} // namespace
