// pellidor dump [--json] --volume PATH: the volume facts a reading of PATH
// would record in a catalog's header, as the system gives them now, and which
// source gave them. A catalog does not keep that source, so this is the place
// to see why a volume has no label or serial.

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"
#include "platform/system/Drives.h"
#include "platform/system/Errors.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace pellidor::cli {

namespace {

struct VolumeDump {
    std::string root;
    platform::system::VolumeInformation info;
    UINT driveType = platform::system::DRIVE_UNKNOWN;
    platform::system::DiskSpace space;
};

void PrintJson(const VolumeDump& dump)
{
    const QJsonObject volume{
        {QStringLiteral("root"), QString::fromStdString(dump.root)},
        {QStringLiteral("volumeSerial"), static_cast<qint64>(dump.info.serial)},
        {QStringLiteral("totalBytes"), QString::number(dump.space.total)},
        {QStringLiteral("freeBytes"), QString::number(dump.space.free)},
        {QStringLiteral("callerFreeBytes"), QString::number(dump.space.callerFree)},
        {QStringLiteral("volumeLabel"), QString::fromStdString(dump.info.label)},
        {QStringLiteral("fileSystemName"), QString::fromStdString(dump.info.fileSystem)},
        {QStringLiteral("driveType"), static_cast<qint64>(dump.driveType)},
        {QStringLiteral("volumeSource"), QString::fromLatin1(platform::system::VolumeSourceName(dump.info.source))},
    };
    const QJsonObject root{{QStringLiteral("volume"), volume}};
    std::fputs(QJsonDocument(root).toJson(QJsonDocument::Indented).constData(), stdout);
}

void PrintText(const VolumeDump& dump)
{
    std::printf("Root             %s\n", dump.root.c_str());
    std::printf("VolumeSerial     %08X\n", dump.info.serial);
    std::printf("TotalBytes       %llu\n", static_cast<unsigned long long>(dump.space.total));
    std::printf("FreeBytes        %llu\n", static_cast<unsigned long long>(dump.space.free));
    std::printf("CallerFreeBytes  %llu\n", static_cast<unsigned long long>(dump.space.callerFree));
    std::printf("VolumeLabel      %s\n", dump.info.label.c_str());
    std::printf("FileSystemName   %s\n", dump.info.fileSystem.c_str());
    std::printf("DriveType        %u\n", dump.driveType);
    std::printf("VolumeSource     %s\n", platform::system::VolumeSourceName(dump.info.source));
}

} // namespace

int RunDumpVolume(const Arguments& arguments)
{
    constexpr const char* kUsage = "usage: pellidor dump [--json] --volume PATH";
    Arguments rest = arguments;
    const bool json = TakeFlag(rest, "--json");
    std::optional<std::string> path;
    if (!TakeOption(rest, "--volume", &path))
        return 2;
    if (!path || path->empty() || !rest.empty())
        return Fail(kUsage, 2);

    VolumeDump dump;
    dump.root = platform::system::NormalizeRoot(*path);
    if (!platform::system::GetVolumeInformation(dump.root, dump.info)) {
        const DWORD error = platform::system::GetLastError();
        if (error == platform::system::ERROR_NOT_READY)
            return Fail("the drive '" + dump.root + "' is not ready; insert a medium and try again");
        return Fail("cannot read the volume of '" + dump.root + "': " + platform::system::ErrorMessage(error));
    }
    dump.driveType = platform::system::GetDriveType(dump.root);
    // A volume whose sizes cannot be had shows none, as its catalog would.
    platform::system::GetDiskFreeSpace(dump.root, dump.space);
    if (json)
        PrintJson(dump);
    else
        PrintText(dump);
    return 0;
}

} // namespace pellidor::cli
