#include "platform/system/Drives.h"

#include "platform/system/DriveTable.h"
#include "platform/system/Errors.h"
#include "platform/system/MountTable.h"
#include "platform/system/VolumeProbe.h"

#include <cerrno>
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
    out.source = VolumeSource::Table;
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
    out = ProbeVolume(*mount, path, SystemVolumeProbes());
    if (mount->mountPoint != path || mount->root != "/")
        out.label = LastComponent(path);
    return true;
}

} // namespace

const char* VolumeSourceName(VolumeSource source)
{
    switch (source) {
    case VolumeSource::Blkid:
        return "blkid";
    case VolumeSource::Udev:
        return "udev";
    case VolumeSource::Ioctl:
        return "ioctl";
    case VolumeSource::Table:
        return "table";
    case VolumeSource::None:
        break;
    }
    return "none";
}

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
