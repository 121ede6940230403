#include "platform/system/Drives.h"

#include "platform/system/DriveTable.h"
#include "platform/system/Errors.h"
#include "platform/system/MountTable.h"

#include <blkid/blkid.h>

#include <cctype>
#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace platform::system {

namespace {

bool PathExists(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0;
}

std::string LastComponent(const std::string& path)
{
    if (path == "/")
        return {};
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name a user of the other platform knows a file system by.
std::string FileSystemDisplayName(const std::string& type, const std::string& version)
{
    if (type == "vfat" || type == "msdos")
        return version.rfind("FAT", 0) == 0 ? version : std::string("FAT");
    if (type == "ntfs" || type == "ntfs3")
        return "NTFS";
    if (type == "exfat")
        return "exFAT";
    if (type == "iso9660")
        return "CDFS";
    if (type == "udf")
        return "UDF";
    return type;
}

// The 32-bit serial: a FAT or exFAT volume id as stored ("1234-ABCD"), the
// low half of an NTFS serial, otherwise the first 32 bits of the UUID.
DWORD SerialFromUuid(const std::string& uuid, const std::string& type)
{
    std::string hex;
    for (char c : uuid) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            hex.push_back(c);
    }
    if (hex.empty())
        return 0;
    if ((type == "ntfs" || type == "ntfs3") && hex.size() > 8)
        hex = hex.substr(hex.size() - 8);
    return static_cast<DWORD>(std::stoul(hex.substr(0, 8), nullptr, 16));
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

// Label, UUID and type as the device's superblock stores them; false when the
// device cannot be read (no medium, no permission).
bool ProbeDevice(const std::string& device, VolumeInformation& out, std::string& type)
{
    std::unique_ptr<blkid_struct_probe, ProbeDeleter> probe(blkid_new_probe_from_filename(device.c_str()));
    if (!probe)
        return false;
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(
        probe.get(), BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION);
    if (blkid_do_safeprobe(probe.get()) != 0)
        return false;
    type = ProbeValue(probe.get(), "TYPE");
    out.label = ProbeValue(probe.get(), "LABEL");
    out.serial = SerialFromUuid(ProbeValue(probe.get(), "UUID"), type);
    out.fileSystem = FileSystemDisplayName(type, ProbeValue(probe.get(), "VERSION"));
    return true;
}

bool TableVolumeInformation(const DriveTable& table, const std::string& path, VolumeInformation& out)
{
    const DriveEntry* drive = table.DriveOf(path);
    if (drive != nullptr && !drive->ready) {
        SetLastError(ERROR_NOT_READY);
        return false;
    }
    if (!PathExists(path)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    out = VolumeInformation();
    if (drive != nullptr) {
        out.label = drive->label;
        out.serial = drive->serial;
        out.fileSystem = drive->fileSystem;
    }
    if (drive == nullptr || drive->root != path)
        out.label = LastComponent(path);
    return true;
}

bool SystemVolumeInformation(const std::string& path, VolumeInformation& out)
{
    if (path.rfind("/dev/", 0) == 0 && MountTable::IsOpticalDevice(path)) {
        // An optical drive that shows up by its device has no disc mounted.
        SetLastError(PathExists(path) ? ERROR_NOT_READY : ERROR_PATH_NOT_FOUND);
        return false;
    }
    const MountTable mounts = MountTable::Load();
    const Mount* mount = mounts.MountOf(path);
    if (!PathExists(path) || mount == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    out = VolumeInformation();
    std::string type;
    if (!MountTable::IsBlockDevice(*mount) || !ProbeDevice(mount->source, out, type))
        out.fileSystem = FileSystemDisplayName(mount->fileSystem, {});
    if (mount->mountPoint != path || mount->root != "/")
        out.label = LastComponent(path);
    return true;
}

} // namespace

std::vector<std::string> GetLogicalDriveRoots()
{
    if (const auto table = DriveTable::FromEnvironment()) {
        std::vector<std::string> roots;
        for (const auto& drive : table->Drives())
            roots.push_back(drive.root);
        return roots;
    }
    return MountTable::Load().DriveRoots();
}

UINT GetDriveType(const std::string& root)
{
    const std::string path = NormalizeRoot(root);
    if (const auto table = DriveTable::FromEnvironment()) {
        if (const DriveEntry* drive = table->DriveOf(path))
            return drive->type;
        return PathExists(path) ? DRIVE_UNKNOWN : DRIVE_NO_ROOT_DIR;
    }
    if (MountTable::IsOpticalDevice(path) && path.rfind("/dev/", 0) == 0)
        return PathExists(path) ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR;
    if (!PathExists(path))
        return DRIVE_NO_ROOT_DIR;
    const MountTable mounts = MountTable::Load();
    const Mount* mount = mounts.MountOf(path);
    return mount != nullptr ? MountTable::DriveTypeOf(*mount) : DRIVE_UNKNOWN;
}

bool GetVolumeInformation(const std::string& root, VolumeInformation& out)
{
    const std::string path = NormalizeRoot(root);
    if (const auto table = DriveTable::FromEnvironment())
        return TableVolumeInformation(*table, path, out);
    return SystemVolumeInformation(path, out);
}

bool GetDiskFreeSpace(const std::string& root, DiskSpace& out)
{
    const std::string path = NormalizeRoot(root);
    if (const auto table = DriveTable::FromEnvironment()) {
        const DriveEntry* drive = table->DriveOf(path);
        if (drive == nullptr || !drive->ready || !PathExists(path)) {
            SetLastError(drive != nullptr && !drive->ready ? ERROR_NOT_READY : ERROR_PATH_NOT_FOUND);
            return false;
        }
        out.total = drive->total;
        out.free = drive->free;
        out.callerFree = drive->free;
        return true;
    }
    struct statvfs info { };
    if (::statvfs(path.c_str(), &info) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    out.total = static_cast<std::uint64_t>(info.f_blocks) * unit;
    out.free = static_cast<std::uint64_t>(info.f_bfree) * unit;
    out.callerFree = static_cast<std::uint64_t>(info.f_bavail) * unit;
    return true;
}

} // namespace platform::system
