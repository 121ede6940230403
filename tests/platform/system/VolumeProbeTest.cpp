// The sources of a volume's facts without real volumes: the order in which
// they are asked, and the conversions that make every source give the same
// serial and name for the same volume.

#include "platform/system/VolumeProbe.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <vector>

namespace platform::system {
namespace {

// Each source answers with its own facts, or fails after scribbling on its
// output as a half-finished probe may.
class FakeProbes final : public VolumeProbes {
public:
    std::optional<VolumeFacts> device;
    std::optional<VolumeFacts> udev;
    std::optional<VolumeFacts> fileSystem;
    mutable std::vector<std::string> asked;

    bool FromDevice(const Mount&, const std::string&, VolumeFacts& out) const override
    {
        return Answer("blkid", device, out);
    }
    bool FromUdev(const Mount&, const std::string&, VolumeFacts& out) const override
    {
        return Answer("udev", udev, out);
    }
    bool FromFileSystem(const Mount&, const std::string&, VolumeFacts& out) const override
    {
        return Answer("ioctl", fileSystem, out);
    }

private:
    bool Answer(const std::string& name, const std::optional<VolumeFacts>& facts, VolumeFacts& out) const
    {
        asked.push_back(name);
        if (!facts) {
            out = VolumeFacts{"vfat", "FAT32", "HALF-READ", "DEAD-BEEF"};
            return false;
        }
        out = *facts;
        return true;
    }
};

Mount StickMount()
{
    Mount mount;
    mount.mountPoint = "/media/stick";
    mount.root = "/";
    mount.fileSystem = "vfat";
    mount.source = "/dev/sdb1";
    mount.major = 8;
    mount.minor = 17;
    return mount;
}

const VolumeFacts kFromDevice{"vfat", "FAT16", "DEVICE", "1111-1111"};
const VolumeFacts kFromUdev{"vfat", "FAT16", "UDEV", "2222-2222"};
const VolumeFacts kFromIoctl{"", "FAT16", "", "3333-3333"};

struct OrderCase {
    const char* name;
    bool device;
    bool udev;
    bool fileSystem;
    VolumeSource source;
    std::vector<std::string> asked;
    const char* label;
    DWORD serial;
};

void PrintTo(const OrderCase& c, std::ostream* out)
{
    *out << c.name;
}

class ProbeOrderTest : public testing::TestWithParam<OrderCase> { };

TEST_P(ProbeOrderTest, TheFirstSourceThatAnswersGivesEveryFact)
{
    const OrderCase& c = GetParam();
    FakeProbes probes;
    if (c.device)
        probes.device = kFromDevice;
    if (c.udev)
        probes.udev = kFromUdev;
    if (c.fileSystem)
        probes.fileSystem = kFromIoctl;
    const VolumeInformation info = ProbeVolume(StickMount(), "/media/stick", probes);
    EXPECT_EQ(info.source, c.source);
    EXPECT_EQ(probes.asked, c.asked);
    EXPECT_EQ(info.label, c.label) << "nothing of a source that failed is kept";
    EXPECT_EQ(info.serial, c.serial);
    EXPECT_EQ(info.fileSystem, c.source == VolumeSource::None ? "FAT" : "FAT16");
}

INSTANTIATE_TEST_SUITE_P(Sources, ProbeOrderTest,
    testing::Values(OrderCase{"AllAnswer", true, true, true, VolumeSource::Blkid, {"blkid"}, "DEVICE", 0x11111111},
        OrderCase{"NoAccessToTheDevice", false, true, true, VolumeSource::Udev, {"blkid", "udev"}, "UDEV", 0x22222222},
        OrderCase{
            "NoUdevDatabase", false, false, true, VolumeSource::Ioctl, {"blkid", "udev", "ioctl"}, "", 0x33333333},
        OrderCase{"NothingAnswers", false, false, false, VolumeSource::None, {"blkid", "udev", "ioctl"}, "", 0}),
    [](const testing::TestParamInfo<OrderCase>& param) { return std::string(param.param.name); });

TEST(ProbeVolumeTest, MountsOfNoBlockDeviceAskNoSource)
{
    FakeProbes probes;
    probes.device = kFromDevice;
    probes.udev = kFromUdev;
    probes.fileSystem = kFromIoctl;
    Mount tmpfs;
    tmpfs.mountPoint = "/run/user";
    tmpfs.fileSystem = "tmpfs";
    tmpfs.source = "tmpfs";
    const VolumeInformation info = ProbeVolume(tmpfs, "/run/user", probes);
    EXPECT_TRUE(probes.asked.empty());
    EXPECT_EQ(info.source, VolumeSource::None);
    EXPECT_EQ(info.fileSystem, "tmpfs");
    EXPECT_EQ(info.serial, 0u);
}

// One FAT stick as each source describes it: libblkid's superblock values,
// udev's properties, and the mounted file system's volume id with its cluster
// count. A user without privileges must get the serial root gets.
TEST(ProbeVolumeTest, EverySourceGivesOneFatStickTheSameSerialAndName)
{
    const std::map<std::string, const char*> properties = {{"ID_FS_TYPE", "vfat"}, {"ID_FS_VERSION", "FAT32"},
        {"ID_FS_LABEL", "MY_STICK"}, {"ID_FS_LABEL_ENC", "MY\\x20STICK"}, {"ID_FS_UUID", "1A2B-3C4D"}};
    VolumeFacts udev;
    ASSERT_TRUE(FactsFromUdevProperties(
        [&properties](const char* name) {
            const auto it = properties.find(name);
            return it != properties.end() ? it->second : nullptr;
        },
        udev));
    FakeProbes probes;
    probes.device = VolumeFacts{"vfat", "FAT32", "MY STICK", "1A2B-3C4D"};
    probes.udev = udev;
    probes.fileSystem = VolumeFacts{"", FatVersionOf(1'000'000), "", FatVolumeIdText(0x1A2B3C4Du)};

    const VolumeInformation root = ProbeVolume(StickMount(), "/media/stick", probes);
    probes.device.reset();
    const VolumeInformation fromUdev = ProbeVolume(StickMount(), "/media/stick", probes);
    probes.udev.reset();
    const VolumeInformation fromIoctl = ProbeVolume(StickMount(), "/media/stick", probes);
    EXPECT_EQ(root.serial, 0x1A2B3C4Du);
    EXPECT_EQ(root.fileSystem, "FAT32");
    EXPECT_EQ(fromUdev.label, "MY STICK") << "udev's encoded label, not its blanked one";
    EXPECT_EQ(fromUdev.serial, root.serial);
    EXPECT_EQ(fromUdev.fileSystem, root.fileSystem);
    EXPECT_EQ(fromIoctl.serial, root.serial);
    EXPECT_EQ(fromIoctl.fileSystem, root.fileSystem);
}

TEST(UdevPropertiesTest, NoFileSystemRecordedMeansUdevCannotTell)
{
    const auto none = [](const char*) -> const char* { return nullptr; };
    VolumeFacts facts;
    EXPECT_FALSE(FactsFromUdevProperties(none, facts));
    const auto empty = [](const char* name) -> const char* { return std::string(name) == "ID_FS_TYPE" ? "" : "x"; };
    EXPECT_FALSE(FactsFromUdevProperties(empty, facts));
    const auto plain = [](const char* name) -> const char* {
        const std::string key = name;
        return key == "ID_FS_TYPE" ? "ext4" : key == "ID_FS_LABEL" ? "DATA" : nullptr;
    };
    ASSERT_TRUE(FactsFromUdevProperties(plain, facts));
    EXPECT_EQ(facts.label, "DATA") << "without the encoded form the plain label serves";
    EXPECT_EQ(SerialOf(facts), 0u);
}

TEST(UdevPropertiesTest, EncodedTextDecodesOnlyWholeHexEscapes)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"MY\\x20STICK", "MY STICK"},
        {"back\\x5cslash", "back\\slash"},
        {"caf\\xc3\\xa9", "caf\xc3\xa9"},
        {"\\x41\\x42", "AB"},
        {"plain", "plain"},
        {"cut\\x4", "cut\\x4"},
        {"end\\x", "end\\x"},
        {"bad\\xZZ", "bad\\xZZ"},
    };
    for (const auto& [encoded, decoded] : cases)
        EXPECT_EQ(DecodeUdevText(encoded), decoded) << encoded;
}

TEST(VolumeSerialTest, SerialFollowsTheFileSystemsOwnRule)
{
    const std::vector<std::pair<VolumeFacts, DWORD>> cases = {
        {{"vfat", "", "", "1A2B-3C4D"}, 0x1A2B3C4D},
        {{"exfat", "", "", "ABCD-0123"}, 0xABCD0123},
        {{"ntfs", "", "", "0123456789ABCDEF"}, 0x89ABCDEF},
        {{"ntfs3", "", "", "0123456789ABCDEF"}, 0x89ABCDEF},
        {{"ext4", "", "", "12345678-9abc-def0-1234-56789abcdef0"}, 0x12345678},
        {{"iso9660", "", "", "2003-01-01-00-00-00-00"}, 0x20030101},
        {{"ext4", "", "", ""}, 0},
    };
    for (const auto& [facts, serial] : cases)
        EXPECT_EQ(SerialOf(facts), serial) << facts.type << " " << facts.uuid;
}

TEST(VolumeSerialTest, IoctlAnswersTakeLibblkidsTextForms)
{
    const unsigned char uuid[16]
        = {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0};
    EXPECT_EQ(UuidText(uuid, sizeof uuid), "12345678-9abc-def0-1234-56789abcdef0");
    EXPECT_EQ(UuidText(uuid, 4), "") << "a short id's byte order is its file system's own";
    EXPECT_EQ(FatVolumeIdText(0x1A2B3C4Du), "1A2B-3C4D");
    EXPECT_EQ(FatVolumeIdText(0x0000000Fu), "0000-000F");
    EXPECT_EQ(FatVersionOf(4084), "FAT12");
    EXPECT_EQ(FatVersionOf(4085), "FAT16");
    EXPECT_EQ(FatVersionOf(65524), "FAT16");
    EXPECT_EQ(FatVersionOf(65525), "FAT32");
}

} // namespace
} // namespace platform::system
