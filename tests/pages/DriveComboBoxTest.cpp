#include "pages/DriveComboBox.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace pellidor;

namespace {

// Roots need not exist for the list: it names drives, it does not read them.
void SetDrives(const std::string& table)
{
    test::WriteFile(std::getenv("PELLIDOR_DRIVES"), table);
}

TEST(DriveComboBox, ListsRemovableAndOpticalDrivesInOrderAndSelectsTheFirst)
{
    SetDrives("/\t3\n/media/usb\t2\n/net/share\t4\n/media/cd\t5\t\t0\tudf\t0\t0\t0\n/run/ram\t6\n");
    CDriveComboBox list;
    list.Fill();
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.itemText(0), QStringLiteral("/media/usb"));
    EXPECT_EQ(list.itemText(1), QStringLiteral("/media/cd"));
    EXPECT_EQ(list.SelectedText(), "/media/usb");

    // Filling again starts over.
    SetDrives("/media/cd\t5\n");
    list.Fill();
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.SelectedText(), "/media/cd");
}

TEST(DriveComboBox, NoDriveLeavesNothingSelected)
{
    SetDrives("/\t3\n");
    CDriveComboBox list;
    list.Fill();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.SelectedText(), "");
    EXPECT_EQ(list.FindStringPrefix(-1, QStringLiteral("/")), -1);
    EXPECT_EQ(list.FindRoot(QStringLiteral("/media/cd")), -1);
}

class DriveComboBoxSearch : public testing::Test {
protected:
    void SetUp() override
    {
        SetDrives("/media/cd2\t5\n/media/CD\t5\n/media/usb\t2\n/media/cd\t2\n");
        list.Fill();
        ASSERT_EQ(list.count(), 4);
    }
    CDriveComboBox list;
};

TEST_F(DriveComboBoxSearch, PrefixIgnoresCaseStartsAfterTheGivenEntryAndGoesRound)
{
    const QString cd = QStringLiteral("/MEDIA/cd");
    EXPECT_EQ(list.FindStringPrefix(-1, cd), 0);
    EXPECT_EQ(list.FindStringPrefix(0, cd), 1);
    EXPECT_EQ(list.FindStringPrefix(1, cd), 3);
    EXPECT_EQ(list.FindStringPrefix(3, cd), 0);
    EXPECT_EQ(list.FindStringPrefix(-1, QStringLiteral("/media/floppy")), -1);
}

TEST_F(DriveComboBoxSearch, RootMatchesWholeComponentsOnly)
{
    EXPECT_EQ(list.FindRoot(QStringLiteral("/media/cd")), 1); // not /media/cd2
    EXPECT_EQ(list.FindRoot(QStringLiteral("/media/cd2")), 0);
    EXPECT_EQ(list.FindRoot(QStringLiteral("/media/us")), -1);
    EXPECT_EQ(list.FindRoot(QStringLiteral("/media/USB")), 2);
    EXPECT_EQ(list.FindRoot(QString()), -1);
}

TEST(DriveComboBox, EntriesWithAnIconShareTheListsImages)
{
    // Icons come from the icon theme, which a machine may lack: whatever the
    // theme gives, every entry's icon is one of the list's own images.
    SetDrives("/media/cd\t5\n/media/usb\t2\n");
    CDriveComboBox list;
    list.Fill();
    ASSERT_EQ(list.count(), 2);
    EXPECT_LE(list.Images().Count(), 2);
    for (int i = 0; i < list.count(); ++i)
        EXPECT_EQ(list.itemIcon(i).isNull(), list.Images().Count() <= i) << i;
}

} // namespace
