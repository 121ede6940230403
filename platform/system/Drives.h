#pragma once
// Drives and volumes. A drive root is a mount point of a block-device file
// system, plus every optical drive without a disc, in mount-table order; any
// folder may be asked about too, as its volume with the folder's own name as
// its label. PELLIDOR_DRIVES names a drive-table file that replaces detection
// (docs/drive-table.md). Which source answered is told for diagnosis only;
// the product acts the same whichever did.
// Roots are paths without a trailing "/" (except "/" itself).

#include "platform/com/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::system {

constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

// A root or folder path in the drives' own form: no trailing "/" except for
// "/" itself.
std::string NormalizeRoot(std::string path);

// The logical drive roots in the platform's order.
std::vector<std::string> GetLogicalDriveRoots();

// The drive type of the drive whose root is `root`, or of the drive holding
// the folder `root`; DRIVE_NO_ROOT_DIR when no such path exists.
UINT GetDriveType(const std::string& root);

// Where a volume's label, serial and file-system name came from: the
// device's superblock, udev's record of the device, the mounted file system's
// ioctls, the drive table, or nowhere (the mount's type only).
enum class VolumeSource { None, Blkid, Udev, Ioctl, Table };
// "none", "blkid", "udev", "ioctl", "table".
const char* VolumeSourceName(VolumeSource source);

struct VolumeInformation {
    std::string label;
    DWORD serial = 0;
    std::string fileSystem;
    VolumeSource source = VolumeSource::None;
};
// False with the last error 21 (not ready) for a drive without a medium,
// 3 for a path that does not exist.
bool GetVolumeInformation(const std::string& root, VolumeInformation& out);

struct DiskSpace {
    std::uint64_t callerFree = 0;
    std::uint64_t total = 0;
    std::uint64_t free = 0;
};
bool GetDiskFreeSpace(const std::string& root, DiskSpace& out);

} // namespace platform::system
