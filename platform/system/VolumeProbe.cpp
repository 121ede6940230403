#include "platform/system/VolumeProbe.h"

#include "platform/com/Guid.h"

#include <blkid/blkid.h>
#include <libudev.h>
#include <linux/fs.h>
#include <linux/msdos_fs.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

// Kernels from 6.9 on answer the UUID of any file system that keeps one;
// older headers lack the request, whose number is part of the kernel's ABI.
#ifndef FS_IOC_GETFSUUID
struct fsuuid2 {
    __u8 len;
    __u8 uuid[16];
};
#define FS_IOC_GETFSUUID _IOR(0x15, 0, struct fsuuid2)
#endif

namespace platform::system {

namespace {

constexpr std::size_t kUuidBytes = 16;
// Data-cluster counts from which a FAT volume is FAT16, then FAT32.
constexpr std::uint64_t kFat16Clusters = 4085;
constexpr std::uint64_t kFat32Clusters = 65525;

bool IsFat(const std::string& type)
{
    return type == "vfat" || type == "msdos";
}

bool IsNtfs(const std::string& type)
{
    return type == "ntfs" || type == "ntfs3";
}

struct ProbeDeleter {
    void operator()(blkid_probe probe) const { blkid_free_probe(probe); }
};

std::string ProbeValue(blkid_probe probe, const char* name)
{
    const char* value = nullptr;
    if (blkid_probe_lookup_value(probe, name, &value, nullptr) != 0 || value == nullptr)
        return {};
    return value;
}

struct UdevDeleter {
    void operator()(udev* context) const { udev_unref(context); }
};

struct UdevDeviceDeleter {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) { }
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

class SystemProbes final : public VolumeProbes {
public:
    // The superblock itself; fails without read access to the device.
    bool FromDevice(const Mount& mount, const std::string&, VolumeFacts& out) const override
    {
        std::unique_ptr<blkid_struct_probe, ProbeDeleter> probe(blkid_new_probe_from_filename(mount.source.c_str()));
        if (!probe)
            return false;
        blkid_probe_enable_superblocks(probe.get(), 1);
        blkid_probe_set_superblocks_flags(
            probe.get(), BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION);
        if (blkid_do_safeprobe(probe.get()) != 0)
            return false;
        out.type = ProbeValue(probe.get(), "TYPE");
        out.version = ProbeValue(probe.get(), "VERSION");
        out.label = ProbeValue(probe.get(), "LABEL");
        out.uuid = ProbeValue(probe.get(), "UUID");
        return true;
    }

    // What udev's own probe of the device recorded when it appeared.
    bool FromUdev(const Mount& mount, const std::string&, VolumeFacts& out) const override
    {
        const std::unique_ptr<udev, UdevDeleter> context(udev_new());
        if (!context)
            return false;
        const std::unique_ptr<udev_device, UdevDeviceDeleter> device(
            udev_device_new_from_devnum(context.get(), 'b', makedev(mount.major, mount.minor)));
        if (!device)
            return false;
        return FactsFromUdevProperties(
            [&device](const char* name) { return udev_device_get_property_value(device.get(), name); }, out);
    }

    // The mounted file system's answers: its label where it keeps one it
    // tells, and a FAT volume id or a 16-byte UUID.
    bool FromFileSystem(const Mount& mount, const std::string& path, VolumeFacts& out) const override
    {
        const FileDescriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.Get() < 0)
            return false;
        out.type = mount.fileSystem;
        const bool label = AskLabel(folder.Get(), out);
        // The FAT request is put to FAT only: another file system may give
        // its number a meaning of its own.
        const bool id = IsFat(mount.fileSystem) ? AskFatVolumeId(folder.Get(), out) : AskUuid(folder.Get(), out);
        return label || id;
    }

private:
    static bool AskLabel(int folder, VolumeFacts& out)
    {
        std::array<char, FSLABEL_MAX> label{};
        if (::ioctl(folder, FS_IOC_GETFSLABEL, label.data()) != 0)
            return false;
        out.label.assign(label.data(), strnlen(label.data(), label.size()));
        return true;
    }

    // The FAT type is not told, but follows from the cluster count, which
    // the file system gives as its block count.
    static bool AskFatVolumeId(int folder, VolumeFacts& out)
    {
        __u32 volumeId = 0;
        if (::ioctl(folder, FAT_IOCTL_GET_VOLUME_ID, &volumeId) != 0)
            return false;
        out.uuid = FatVolumeIdText(volumeId);
        struct statvfs space { };
        if (::fstatvfs(folder, &space) == 0)
            out.version = FatVersionOf(space.f_blocks);
        return true;
    }

    static bool AskUuid(int folder, VolumeFacts& out)
    {
        fsuuid2 uuid{};
        if (::ioctl(folder, FS_IOC_GETFSUUID, &uuid) != 0)
            return false;
        out.uuid = UuidText(uuid.uuid, std::min<std::size_t>(uuid.len, sizeof uuid.uuid));
        return !out.uuid.empty();
    }
};

} // namespace

const VolumeProbes& SystemVolumeProbes()
{
    static const SystemProbes probes;
    return probes;
}

VolumeInformation ProbeVolume(const Mount& mount, const std::string& path, const VolumeProbes& probes)
{
    using Probe = bool (VolumeProbes::*)(const Mount&, const std::string&, VolumeFacts&) const;
    static const std::array<std::pair<VolumeSource, Probe>, 3> kOrder = {{
        {VolumeSource::Blkid, &VolumeProbes::FromDevice},
        {VolumeSource::Udev, &VolumeProbes::FromUdev},
        {VolumeSource::Ioctl, &VolumeProbes::FromFileSystem},
    }};
    VolumeInformation info;
    info.fileSystem = FileSystemDisplayName(mount.fileSystem, {});
    if (!MountTable::IsBlockDevice(mount))
        return info;
    for (const auto& [source, probe] : kOrder) {
        VolumeFacts facts;
        if (!(probes.*probe)(mount, path, facts))
            continue;
        if (facts.type.empty())
            facts.type = mount.fileSystem;
        info.label = facts.label;
        info.serial = SerialOf(facts);
        info.fileSystem = FileSystemDisplayName(facts.type, facts.version);
        info.source = source;
        break;
    }
    return info;
}

DWORD SerialOf(const VolumeFacts& facts)
{
    std::string hex;
    for (char c : facts.uuid) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            hex.push_back(c);
    }
    if (hex.empty())
        return 0;
    if (IsNtfs(facts.type) && hex.size() > 8)
        hex = hex.substr(hex.size() - 8);
    return static_cast<DWORD>(std::stoul(hex.substr(0, 8), nullptr, 16));
}

std::string FileSystemDisplayName(const std::string& type, const std::string& version)
{
    if (IsFat(type))
        return version.rfind("FAT", 0) == 0 ? version : std::string("FAT");
    if (IsNtfs(type))
        return "NTFS";
    if (type == "exfat")
        return "exFAT";
    if (type == "iso9660")
        return "CDFS";
    if (type == "udf")
        return "UDF";
    return type;
}

bool FactsFromUdevProperties(const std::function<const char*(const char*)>& property, VolumeFacts& out)
{
    const auto text = [&property](const char* name) {
        const char* value = property(name);
        return value != nullptr ? std::string(value) : std::string();
    };
    out.type = text("ID_FS_TYPE");
    if (out.type.empty())
        return false;
    out.version = text("ID_FS_VERSION");
    // ID_FS_LABEL has blanks and unsafe bytes replaced; the encoded form
    // keeps the label as stored.
    const char* encoded = property("ID_FS_LABEL_ENC");
    out.label = encoded != nullptr ? DecodeUdevText(encoded) : text("ID_FS_LABEL");
    out.uuid = text("ID_FS_UUID");
    return true;
}

std::string DecodeUdevText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            const int high = platform::com::HexDigitValue(text[i + 2]);
            const int low = platform::com::HexDigitValue(text[i + 3]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string UuidText(const unsigned char* bytes, std::size_t size)
{
    if (size != kUuidBytes)
        return {};
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text.push_back('-');
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

std::string FatVolumeIdText(std::uint32_t id)
{
    char text[10];
    std::snprintf(text, sizeof text, "%04X-%04X", id >> 16, id & 0xFFFFu);
    return text;
}

std::string FatVersionOf(std::uint64_t clusters)
{
    if (clusters < kFat16Clusters)
        return "FAT12";
    return clusters < kFat32Clusters ? "FAT16" : "FAT32";
}

} // namespace platform::system
