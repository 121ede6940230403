#include "platform/system/MountTable.h"

#include "platform/system/DriveTable.h"
#include "platform/system/Drives.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace platform::system {

namespace {

// mountinfo escapes space, tab, newline and backslash as \ooo.
std::string Unescape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const std::string digits = text.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>(std::strtol(digits.c_str(), nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

bool ParseLine(const std::string& line, Mount& mount)
{
    std::istringstream in(line);
    std::string id, parent, numbers, root, point, options, field;
    if (!(in >> id >> parent >> numbers >> root >> point >> options))
        return false;
    while (in >> field && field != "-") { }
    std::string type, source;
    if (field != "-" || !(in >> type >> source))
        return false;
    const std::size_t colon = numbers.find(':');
    if (colon == std::string::npos)
        return false;
    mount.major = static_cast<unsigned>(std::strtoul(numbers.c_str(), nullptr, 10));
    mount.minor = static_cast<unsigned>(std::strtoul(numbers.c_str() + colon + 1, nullptr, 10));
    mount.root = Unescape(root);
    mount.mountPoint = NormalizeRoot(Unescape(point));
    mount.fileSystem = type;
    mount.source = Unescape(source);
    return true;
}

std::string ReadSmallFile(const std::string& path)
{
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    return text;
}

// The sysfs directory of the block device major:minor.
std::string SysfsDevice(const Mount& mount)
{
    const std::string link = "/sys/dev/block/" + std::to_string(mount.major) + ":" + std::to_string(mount.minor);
    std::array<char, PATH_MAX> target{};
    if (realpath(link.c_str(), target.data()) == nullptr)
        return {};
    return target.data();
}

bool IsRemovableDevice(const Mount& mount)
{
    const std::string device = SysfsDevice(mount);
    if (device.empty())
        return false;
    if (device.find("/usb") != std::string::npos)
        return true;
    // A partition's removable flag is its disk's.
    if (ReadSmallFile(device + "/removable") == "1")
        return true;
    const std::size_t slash = device.rfind('/');
    return slash != std::string::npos && ReadSmallFile(device.substr(0, slash) + "/removable") == "1";
}

bool IsNetworkFileSystem(const std::string& type)
{
    static const std::array<const char*, 9> kTypes
        = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "fuse.sshfs"};
    return std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
}

} // namespace

MountTable MountTable::Load()
{
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

MountTable MountTable::Parse(const std::string& mountinfo)
{
    MountTable table;
    std::istringstream in(mountinfo);
    std::string line;
    while (std::getline(in, line)) {
        Mount mount;
        if (ParseLine(line, mount))
            table.mounts_.push_back(std::move(mount));
    }
    return table;
}

const Mount* MountTable::MountOf(const std::string& path) const
{
    const Mount* best = nullptr;
    for (const auto& mount : mounts_) {
        if (PathIsUnder(path, mount.mountPoint)
            && (best == nullptr || mount.mountPoint.size() >= best->mountPoint.size()))
            best = &mount;
    }
    return best;
}

bool MountTable::IsBlockDevice(const Mount& mount)
{
    return mount.major != 0 && mount.source.rfind("/dev/", 0) == 0;
}

bool MountTable::IsOpticalDevice(const std::string& device)
{
    const std::size_t slash = device.rfind('/');
    const std::string name = slash == std::string::npos ? device : device.substr(slash + 1);
    return name.rfind("sr", 0) == 0 || name.rfind("scd", 0) == 0;
}

std::vector<std::string> MountTable::OpticalDevices()
{
    std::vector<std::string> devices;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("/sys/block"), closedir);
    if (!dir)
        return devices;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.rfind("sr", 0) == 0)
            devices.push_back("/dev/" + name);
    }
    std::sort(devices.begin(), devices.end());
    return devices;
}

UINT MountTable::DriveTypeOf(const Mount& mount)
{
    if (mount.fileSystem == "iso9660" || mount.fileSystem == "udf" || IsOpticalDevice(mount.source))
        return DRIVE_CDROM;
    if (IsNetworkFileSystem(mount.fileSystem))
        return DRIVE_REMOTE;
    if (mount.fileSystem == "tmpfs" || mount.fileSystem == "ramfs")
        return DRIVE_RAMDISK;
    if (!IsBlockDevice(mount))
        return DRIVE_UNKNOWN;
    return IsRemovableDevice(mount) ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

std::vector<std::string> MountTable::DriveRoots() const
{
    std::vector<std::string> roots;
    std::vector<std::string> mountedDevices;
    for (const auto& mount : mounts_) {
        if (!IsBlockDevice(mount) || mount.root != "/")
            continue;
        mountedDevices.push_back(mount.source);
        if (std::find(roots.begin(), roots.end(), mount.mountPoint) == roots.end())
            roots.push_back(mount.mountPoint);
    }
    for (const auto& device : OpticalDevices()) {
        if (std::find(mountedDevices.begin(), mountedDevices.end(), device) == mountedDevices.end())
            roots.push_back(device);
    }
    return roots;
}

} // namespace platform::system
