// Real volumes: images made with mkfs, read by libblkid as image files, and
// loop-mounted and read both as root and as the user nobody, who may not open
// the device. Root and nobody must see the same label and serial. Mounting
// needs root and a kernel that loop-mounts the file system; where either is
// missing the tests say so and skip.

#include "platform/system/Drives.h"
#include "platform/system/VolumeProbe.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <ostream>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::system {
namespace {

using pellidor::test::BinDirectory;
using pellidor::test::TestRoot;
using pellidor::test::WriteFile;

constexpr std::uintmax_t kMiB = 1024 * 1024;
constexpr const char* kExtUuid = "12345678-9abc-def0-1234-56789abcdef0";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome RunProgram(const std::string& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program), arguments);
    Outcome run;
    if (!process.waitForFinished(60000)) {
        run.err = process.errorString().toStdString();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

// A system program, also from the sbin folders a user's PATH may lack.
std::string Tool(const char* name)
{
    const QString program = QString::fromLatin1(name);
    QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return found.toStdString();
}

std::string EmptyImage(const std::string& name, std::uintmax_t size)
{
    const std::string image = TestRoot() + "/" + name;
    WriteFile(image, "");
    std::filesystem::resize_file(image, size);
    return image;
}

std::string Folder(const std::string& name)
{
    const std::string path = TestRoot() + "/" + name;
    QDir().mkpath(QString::fromStdString(path));
    return path;
}

QStringList Strings(std::initializer_list<std::string> texts)
{
    QStringList list;
    for (const auto& text : texts)
        list.append(QString::fromStdString(text));
    return list;
}

// A loop-mounted image, unmounted when the object goes; `mount -o loop`
// frees the loop device with the mount.
class LoopMount {
public:
    LoopMount() = default;
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;
    ~LoopMount()
    {
        if (!point_.empty() && ::umount2(point_.c_str(), 0) != 0)
            ::umount2(point_.c_str(), MNT_DETACH);
    }

    // "" when mounted, otherwise mount's complaint.
    std::string Mount(const std::string& image, const std::string& point)
    {
        const Outcome run = RunProgram(Tool("mount"), Strings({"-o", "loop,ro", image, point}));
        if (run.status != 0)
            return run.err.empty() ? "mount failed" : run.err;
        point_ = point;
        return {};
    }

private:
    std::string point_;
};

// What the helper prints for a volume: label, serial, file system, source.
std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start, line.find('\n', start) - start));
    return fields;
}

std::string SerialText(DWORD serial)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", serial);
    return text;
}

class VolumeMountTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "loop-mounting an image needs root; run the suite as root to read real volumes";
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr || Tool("setpriv").empty() || Tool("mount").empty())
            GTEST_SKIP() << "needs the user nobody, setpriv and mount";
        nobodyUid_ = nobody->pw_uid;
        nobodyGid_ = nobody->pw_gid;
        // Without arguments the helper answers its usage status, 100.
        const Outcome probe = RunAsNobody({}, QProcessEnvironment::systemEnvironment());
        if (probe.status != 100)
            GTEST_SKIP() << "nobody cannot run the built programs (a folder on the way is closed to others): "
                         << probe.err;
        // The system's own answers, not a drive table's.
        unsetenv("PELLIDOR_DRIVES");
        // nobody has to reach the mount points below the test's folder.
        ::chmod(TestRoot().c_str(), 0755);
    }

    // The volume facts of `path` as the user nobody gets them, with a home
    // and data folders of its own.
    std::vector<std::string> AsNobody(const std::string& path) const
    {
        const std::string home = Folder("nobody");
        EXPECT_EQ(::chown(home.c_str(), nobodyUid_, nobodyGid_), 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("PELLIDOR_DRIVES"));
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        environment.insert(QStringLiteral("HOME"), QString::fromStdString(home));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(home + "/data"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(home + "/config"));
        const Outcome run = RunAsNobody({"volume", path}, environment);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        return Fields(run.out);
    }

    Outcome RunAsNobody(std::initializer_list<std::string> arguments, const QProcessEnvironment& environment) const
    {
        QStringList command = Strings({"--reuid", std::to_string(nobodyUid_), "--regid", std::to_string(nobodyGid_),
            "--clear-groups", "--", BinDirectory() + "/pellidor_platform_helper"});
        command += Strings(arguments);
        return RunProgram(Tool("setpriv"), command, environment);
    }

    uid_t nobodyUid_ = 0;
    gid_t nobodyGid_ = 0;
};

TEST_F(VolumeMountTest, Ext4LabelAndSerialAreTheSameForRootAndNobody)
{
    WriteFile(Folder("content/docs") + "/a.txt", "x");
    const std::string image = EmptyImage("ext4.img", 16 * kMiB);
    const Outcome made = RunProgram(
        Tool("mkfs.ext4"), Strings({"-q", "-F", "-L", "MY EXT4", "-U", kExtUuid, "-d", Folder("content"), image}));
    ASSERT_EQ(made.status, 0) << "mkfs.ext4 (e2fsprogs): " << made.err;
    const std::string point = Folder("ext4");
    LoopMount mount;
    if (const std::string error = mount.Mount(image, point); !error.empty())
        GTEST_SKIP() << "this machine does not loop-mount ext4: " << error;

    VolumeInformation root;
    ASSERT_TRUE(GetVolumeInformation(point, root));
    EXPECT_EQ(root.source, VolumeSource::Blkid);
    EXPECT_EQ(root.label, "MY EXT4");
    EXPECT_EQ(root.serial, 0x12345678u);
    EXPECT_EQ(root.fileSystem, "ext4");

    const std::vector<std::string> nobody = AsNobody(point);
    ASSERT_EQ(nobody.size(), 4u);
    EXPECT_EQ(nobody[0], root.label);
    EXPECT_EQ(nobody[1], SerialText(root.serial));
    EXPECT_EQ(nobody[2], root.fileSystem);
    EXPECT_TRUE(nobody[3] == "udev" || nobody[3] == "ioctl") << nobody[3] << ": nobody may not open the device";

    const std::vector<std::string> folder = AsNobody(point + "/docs");
    ASSERT_EQ(folder.size(), 4u);
    EXPECT_EQ(folder[0], "docs") << "a folder is read with its own name";
    EXPECT_EQ(folder[1], SerialText(root.serial));
}

// Whether the kernel's FAT driver tells a mounted volume's label to anyone
// who may open its folder.
bool KernelTellsFatLabel(const std::string& point)
{
    const int fd = ::open(point.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    char label[FSLABEL_MAX] = {};
    const bool told = fd >= 0 && ::ioctl(fd, FS_IOC_GETFSLABEL, label) == 0;
    if (fd >= 0)
        ::close(fd);
    return told;
}

TEST_F(VolumeMountTest, FatSerialIsTheSameForRootAndNobody)
{
    if (Tool("mkfs.vfat").empty())
        GTEST_SKIP() << "mkfs.vfat (dosfstools) is not installed";
    const std::string image = EmptyImage("fat.img", 40 * kMiB);
    const Outcome made = RunProgram(Tool("mkfs.vfat"), Strings({"-n", "MY STICK", "-i", "1A2B3C4D", image}));
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string point = Folder("fat");
    LoopMount mount;
    if (const std::string error = mount.Mount(image, point); !error.empty())
        GTEST_SKIP() << "this machine does not loop-mount FAT: " << error;

    VolumeInformation root;
    ASSERT_TRUE(GetVolumeInformation(point, root));
    EXPECT_EQ(root.source, VolumeSource::Blkid);
    EXPECT_EQ(root.label, "MY STICK");
    EXPECT_EQ(root.serial, 0x1A2B3C4Du);

    const std::vector<std::string> nobody = AsNobody(point);
    ASSERT_EQ(nobody.size(), 4u);
    EXPECT_EQ(nobody[1], SerialText(root.serial));
    EXPECT_EQ(nobody[2], root.fileSystem) << "the FAT type from the cluster count, as the superblock has it";
    EXPECT_TRUE(nobody[3] == "udev" || nobody[3] == "ioctl") << nobody[3];
    // Without udev's record the label is the file system's to tell, and a
    // FAT driver without the label request keeps it from a user without
    // privileges: then it stays empty rather than made up.
    if (nobody[3] == "udev" || KernelTellsFatLabel(point))
        EXPECT_EQ(nobody[0], root.label);
    else
        EXPECT_EQ(nobody[0], "");
}

struct FatImage {
    const char* fatSize;
    std::uintmax_t bytes;
    const char* fileSystem;
};

void PrintTo(const FatImage& image, std::ostream* out)
{
    *out << image.fileSystem;
}

class FatImageTest : public testing::TestWithParam<FatImage> { };

// Image files are read by libblkid directly, by anyone who may read them.
TEST_P(FatImageTest, BlkidReadsTheLabelSerialAndTypeOfAnImageFile)
{
    if (Tool("mkfs.vfat").empty())
        GTEST_SKIP() << "mkfs.vfat (dosfstools) is not installed";
    const std::string image = EmptyImage("fat.img", GetParam().bytes);
    const Outcome made
        = RunProgram(Tool("mkfs.vfat"), Strings({"-F", GetParam().fatSize, "-n", "MY STICK", "-i", "0BADF00D", image}));
    ASSERT_EQ(made.status, 0) << made.err;
    Mount file;
    file.source = image;
    VolumeFacts facts;
    ASSERT_TRUE(SystemVolumeProbes().FromDevice(file, image, facts));
    EXPECT_EQ(facts.label, "MY STICK");
    EXPECT_EQ(SerialOf(facts), 0x0BADF00Du);
    EXPECT_EQ(FileSystemDisplayName(facts.type, facts.version), GetParam().fileSystem);
}

INSTANTIATE_TEST_SUITE_P(FatSizes, FatImageTest,
    testing::Values(FatImage{"16", 40 * kMiB, "FAT16"}, FatImage{"32", 64 * kMiB, "FAT32"}),
    [](const testing::TestParamInfo<FatImage>& param) { return std::string(param.param.fileSystem); });

} // namespace
} // namespace platform::system
