// Drives and volumes: the drive-table seam, the mount table, the directory
// listing the reader walks with, and drive icons.

#include "platform/system/Drives.h"
#include "platform/shell/DriveIcon.h"
#include "platform/system/DirectoryListing.h"
#include "platform/system/DriveTable.h"
#include "platform/system/DriveWatcher.h"
#include "platform/system/Errors.h"
#include "platform/system/MountTable.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>

#include <algorithm>
#include <climits>
#include <set>
#include <unistd.h>

namespace platform::system {
namespace {

using pellidor::test::TestPath;
using pellidor::test::TestRoot;
using pellidor::test::WriteFile;

TEST(DriveTableTest, LinesParseWithDefaultsForMissingFields)
{
    const DriveTable table = DriveTable::Parse("# comment\n"
                                               "\n"
                                               "/media/cd/\t5\tMY DISC\t1234abcd\tCDFS\t700\t0\t0\r\n"
                                               "/media/stick\t2\n");
    ASSERT_EQ(table.Drives().size(), 2u);
    const DriveEntry& cd = table.Drives()[0];
    EXPECT_EQ(cd.root, "/media/cd");
    EXPECT_EQ(cd.type, 5u);
    EXPECT_EQ(cd.label, "MY DISC");
    EXPECT_EQ(cd.serial, 0x1234ABCDu);
    EXPECT_EQ(cd.fileSystem, "CDFS");
    EXPECT_EQ(cd.total, 700u);
    EXPECT_FALSE(cd.ready);
    const DriveEntry& stick = table.Drives()[1];
    EXPECT_EQ(stick.type, 2u);
    EXPECT_TRUE(stick.label.empty());
    EXPECT_TRUE(stick.ready);
}

TEST(DriveTableTest, AFolderBelongsToTheLongestRootThatHoldsItWhole)
{
    const DriveTable table = DriveTable::Parse("/\t3\n/media/cd\t5\n/media/cd/inner\t2\n");
    const auto rootOf = [&table](const char* path) {
        const DriveEntry* drive = table.DriveOf(path);
        return drive != nullptr ? drive->root : std::string("(none)");
    };
    EXPECT_EQ(rootOf("/media/cd/docs"), "/media/cd");
    EXPECT_EQ(rootOf("/media/cd/inner/x"), "/media/cd/inner");
    EXPECT_EQ(rootOf("/media/cdrom"), "/") << "a name that only starts like a root";
    EXPECT_EQ(rootOf("/media/cd/"), "/media/cd");
    EXPECT_EQ(DriveTable::Parse("/media/cd\t5\n").DriveOf("/home"), nullptr);
}

TEST(MountTableTest, MountinfoParsesAndDriveRootsAreWholeBlockDeviceMounts)
{
    const MountTable table = MountTable::Parse("22 27 0:21 / /proc rw - proc proc rw\n"
                                               "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
                                               "30 27 8:17 / /media/my\\040stick rw - vfat /dev/sdb1 rw\n"
                                               "31 27 254:0 /srv/data /data rw - ext4 /dev/vda rw\n"
                                               "32 27 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
                                               "33 27 0:40 / /run/user tmpfs rw - tmpfs tmpfs rw\n"
                                               "34 27 0:41 / /mnt/share rw - nfs4 server:/share rw\n"
                                               "35 30 8:33 / /media/my\\040stick rw - ext4 /dev/sdc1 rw\n"
                                               "garbage line\n");
    ASSERT_EQ(table.Mounts().size(), 8u);
    const std::vector<std::string> roots = table.DriveRoots();
    ASSERT_GE(roots.size(), 3u);
    EXPECT_EQ(roots[0], "/");
    EXPECT_EQ(roots[1], "/media/my stick");
    EXPECT_EQ(roots[2], "/media/cd");
    EXPECT_EQ(std::count(roots.begin(), roots.end(), "/data"), 0) << "a bind of a sub-folder is no drive";
    EXPECT_EQ(std::count(roots.begin(), roots.end(), "/media/my stick"), 1);
    // The later of two mounts on one place is the one that shows.
    EXPECT_EQ(table.MountOf("/media/my stick/file")->source, "/dev/sdc1");
    EXPECT_EQ(MountTable::DriveTypeOf(*table.MountOf("/media/cd/x")), DRIVE_CDROM);
    EXPECT_EQ(MountTable::DriveTypeOf(*table.MountOf("/run/user/1000")), DRIVE_RAMDISK);
    EXPECT_EQ(MountTable::DriveTypeOf(*table.MountOf("/mnt/share/a")), DRIVE_REMOTE);
    EXPECT_EQ(MountTable::DriveTypeOf(*table.MountOf("/proc/1")), DRIVE_UNKNOWN);
}

class DrivesTest : public testing::Test {
protected:
    void SetUp() override
    {
        stick_ = TestPath("stick/docs/");
        stick_ = TestRoot() + "/stick";
        WriteFile(TestRoot() + "/drives.table",
            stick_ + "\t2\tSTICK\tABCD1234\tFAT32\t1000\t400\t1\n" + TestRoot() + "/cd\t5\t\t0\t\t0\t0\t0\n");
    }
    std::string stick_;
};

TEST_F(DrivesTest, TheTableIsTheWholeTruth)
{
    EXPECT_EQ(GetLogicalDriveRoots(), (std::vector<std::string>{stick_, TestRoot() + "/cd"}));
    EXPECT_EQ(GetDriveType(stick_ + "/"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveType(stick_ + "/docs"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveType(TestRoot() + "/cd"), DRIVE_CDROM);
    EXPECT_EQ(GetDriveType(TestRoot() + "/nowhere"), DRIVE_NO_ROOT_DIR);
    unlink((TestRoot() + "/drives.table").c_str());
    EXPECT_TRUE(GetLogicalDriveRoots().empty()) << "a missing table means no drives";
}

TEST_F(DrivesTest, VolumeFactsOfRootsFoldersAndDrivesWithoutMedium)
{
    VolumeInformation info;
    ASSERT_TRUE(GetVolumeInformation(stick_ + "/", info));
    EXPECT_EQ(info.label, "STICK");
    EXPECT_EQ(info.serial, 0xABCD1234u);
    EXPECT_EQ(info.fileSystem, "FAT32");
    EXPECT_EQ(info.source, VolumeSource::Table);
    ASSERT_TRUE(GetVolumeInformation(stick_ + "/docs", info));
    EXPECT_EQ(info.label, "docs");
    EXPECT_EQ(info.serial, 0xABCD1234u);
    EXPECT_EQ(info.source, VolumeSource::Table);
    ASSERT_TRUE(GetVolumeInformation(TestRoot(), info));
    EXPECT_EQ(info.source, VolumeSource::Table) << "the table answers for folders outside its drives too";
    EXPECT_EQ(info.serial, 0u);
    EXPECT_FALSE(GetVolumeInformation(TestRoot() + "/cd", info));
    EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
    EXPECT_FALSE(GetVolumeInformation(stick_ + "/missing", info));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    DiskSpace space;
    ASSERT_TRUE(GetDiskFreeSpace(stick_, space));
    EXPECT_EQ(space.total, 1000u);
    EXPECT_EQ(space.free, 400u);
    EXPECT_FALSE(GetDiskFreeSpace(TestRoot() + "/cd", space));
}

TEST_F(DrivesTest, DriveIconsComeAtTheAskedSize)
{
    platform::ui::IconImage large;
    platform::ui::IconImage small;
    EXPECT_FALSE(platform::shell::GetDriveIcon(TestRoot() + "/nowhere", 32, large));
    if (!platform::shell::GetDriveIcon(TestRoot() + "/cd", 32, large))
        GTEST_SKIP() << "no icon theme installed";
    ASSERT_TRUE(platform::shell::GetDriveIcon(stick_, 16, small));
    EXPECT_EQ(large.colour.size(), QSize(32, 32));
    EXPECT_EQ(large.mask.size(), QSize(32, 32));
    EXPECT_EQ(small.colour.size(), QSize(16, 16));
}

TEST(TimeTest, TimesOutsideSigned32BitsOrZeroAreNotRecorded)
{
    EXPECT_EQ(ToTime32(0), -1);
    EXPECT_EQ(ToTime32(1), 1);
    EXPECT_EQ(ToTime32(-86400), -86400);
    EXPECT_EQ(ToTime32(INT32_MAX), INT32_MAX);
    EXPECT_EQ(ToTime32(std::int64_t{INT32_MAX} + 1), -1);
    EXPECT_EQ(ToTime32(std::int64_t{INT32_MIN}), INT32_MIN);
    EXPECT_EQ(ToTime32(std::int64_t{INT32_MIN} - 1), -1);
    EXPECT_EQ(ToTime32(std::int64_t{1} << 40), -1);
}

TEST(DirectoryListingTest, ListsEntriesWithoutDotsAndNeverFollowsALinkIntoAFolder)
{
    const std::string dir = TestRoot() + "/list";
    WriteFile(TestPath("list/sub/inner.txt"), "x");
    WriteFile(TestPath("list/file.txt"), "12345");
    ASSERT_EQ(symlink("sub", (dir + "/link").c_str()), 0);
    DirectoryListing listing;
    ASSERT_TRUE(listing.Open(dir));
    std::set<std::string> names;
    FindData entry;
    while (listing.Next(entry)) {
        names.insert(std::string(entry.name));
        if (entry.name == "file.txt") {
            EXPECT_EQ(entry.sizeLow, 5u);
        }
        if (entry.name == "sub") {
            EXPECT_TRUE(entry.IsDirectory());
            DirectoryListing sub;
            ASSERT_TRUE(sub.Open(dir + "/sub"));
            EXPECT_EQ(entry.id, sub.Id()) << "a folder's entry and the open folder are the same file";
        }
        if (entry.name == "link") {
            EXPECT_FALSE(entry.IsDirectory());
            EXPECT_EQ(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT, FILE_ATTRIBUTE_REPARSE_POINT);
        }
    }
    EXPECT_EQ(listing.LastError(), 0u);
    EXPECT_EQ(names, (std::set<std::string>{"file.txt", "link", "sub"}));

    DirectoryListing child;
    EXPECT_TRUE(child.OpenChild(listing, "sub"));
    DirectoryListing viaLink;
    EXPECT_FALSE(viaLink.OpenChild(listing, "link"));
    EXPECT_EQ(viaLink.LastError(), ERROR_DIRECTORY);
    DirectoryListing missing;
    EXPECT_FALSE(missing.Open(dir + "/missing"));
    EXPECT_EQ(missing.LastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(DrivesTest, WatcherTellsWhenADriveGetsItsMedium)
{
    DriveWatcher watcher;
    QSignalSpy arrived(&watcher, &DriveWatcher::VolumeArrived);
    QDir().mkpath(QString::fromStdString(TestRoot() + "/cd"));
    WriteFile(TestRoot() + "/drives.table",
        stick_ + "\t2\tSTICK\tABCD1234\tFAT32\t1000\t400\t1\n" + TestRoot() + "/cd\t5\tDISC\t0\t\t0\t0\t1\n");
    ASSERT_TRUE(arrived.wait(5000));
    ASSERT_EQ(arrived.count(), 1);
    EXPECT_EQ(arrived.at(0).at(0).toString().toStdString(), TestRoot() + "/cd");
}

} // namespace
} // namespace platform::system
