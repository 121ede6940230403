#pragma once
// The system's mount table (/proc/self/mountinfo) and the drive facts that
// come from it: which mounts are drive roots, their drive types, and the
// optical drives that hold no disc.

#include "platform/com/Types.h"

#include <string>
#include <vector>

namespace platform::system {

struct Mount {
    std::string mountPoint;
    std::string root; // the part of the file system mounted ("/" unless a bind)
    std::string fileSystem;
    std::string source;
    unsigned major = 0;
    unsigned minor = 0;
};

class MountTable {
public:
    static MountTable Load();
    static MountTable Parse(const std::string& mountinfo);

    const std::vector<Mount>& Mounts() const { return mounts_; }
    // The mount that holds `path` (the last mount on the longest matching
    // mount point, since a later mount hides an earlier one); null for none.
    const Mount* MountOf(const std::string& path) const;
    // Drive roots: block-device mounts of whole file systems, in table order,
    // then "/dev/srN" for every optical drive that holds no mounted disc.
    std::vector<std::string> DriveRoots() const;

    static UINT DriveTypeOf(const Mount& mount);
    static bool IsBlockDevice(const Mount& mount);
    static bool IsOpticalDevice(const std::string& device);
    // Optical drives known to the kernel ("/dev/sr0", …).
    static std::vector<std::string> OpticalDevices();

private:
    std::vector<Mount> mounts_;
};

} // namespace platform::system
