#pragma once
// Where a mounted volume's label, UUID and type come from. Three sources, in
// this order: the device's superblock through libblkid (needs read access to
// the device: root, the disk group, an image file), udev's record of the
// device through libudev (missing where no udev runs, as in containers), and
// the mounted file system's own ioctls, which anyone who may open the folder
// can ask. The first that knows the volume answers for all of its facts, so a
// label and a serial always come from the same place. Drives.cpp asks through
// VolumeProbes; tests hand ProbeVolume fakes.

#include "platform/system/Drives.h"
#include "platform/system/MountTable.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform::system {

// What one source tells of a volume, in libblkid's terms, so that every
// source goes through the same conversion.
struct VolumeFacts {
    std::string type; // "vfat", "ext4", …; empty: the mount's type
    std::string version; // "FAT16", "FAT32" where the source knows it
    std::string label;
    std::string uuid; // "1A2B-3C4D" for a FAT volume id, 16 hex digits for NTFS
};

class VolumeProbes {
public:
    virtual ~VolumeProbes() = default;
    // Each answers false when its source cannot tell anything of the volume
    // mounted as `mount`; `path` is a folder on it.
    virtual bool FromDevice(const Mount& mount, const std::string& path, VolumeFacts& out) const = 0;
    virtual bool FromUdev(const Mount& mount, const std::string& path, VolumeFacts& out) const = 0;
    virtual bool FromFileSystem(const Mount& mount, const std::string& path, VolumeFacts& out) const = 0;
};

// The probes that ask this machine.
const VolumeProbes& SystemVolumeProbes();

// Label, serial, file-system name and source of the volume mounted as
// `mount`, from the first source that answers. Mounts of no block device, and
// volumes no source knows, get the mount's type only and VolumeSource::None.
VolumeInformation ProbeVolume(const Mount& mount, const std::string& path, const VolumeProbes& probes);

// The 32-bit serial: a FAT or exFAT volume id as stored, the low half of an
// NTFS serial, otherwise the first 32 bits of the UUID; 0 without one.
DWORD SerialOf(const VolumeFacts& facts);
// The name a user of the other platform knows a file system by.
std::string FileSystemDisplayName(const std::string& type, const std::string& version);

// udev's properties of a block device as facts; false when udev has not
// recorded a file system on it. `property` answers null for a missing one.
bool FactsFromUdevProperties(const std::function<const char*(const char*)>& property, VolumeFacts& out);
// Undoes udev's "\xNN" escapes (ID_FS_LABEL_ENC); anything else stays as it is.
std::string DecodeUdevText(const std::string& text);

// The text forms libblkid gives: a 16-byte UUID as "xxxxxxxx-xxxx-…", a FAT
// volume id as "1A2B-3C4D". Other UUID sizes have layouts of their file
// system's own and answer "".
std::string UuidText(const unsigned char* bytes, std::size_t size);
std::string FatVolumeIdText(std::uint32_t id);
// FAT12, FAT16 or FAT32, decided by the count of data clusters as the FAT
// format itself decides it.
std::string FatVersionOf(std::uint64_t clusters);

} // namespace platform::system
