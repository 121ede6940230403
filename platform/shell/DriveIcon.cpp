#include "platform/shell/DriveIcon.h"

#include "platform/system/Drives.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QStringList>

#include <array>

namespace platform::shell {

namespace {

// Icon names by drive type, best first; every list ends with the hard disk,
// the one drive icon every theme has.
QStringList IconNames(UINT driveType)
{
    const QString disk = QStringLiteral("drive-harddisk");
    switch (driveType) {
    case platform::system::DRIVE_CDROM:
        return {QStringLiteral("drive-optical"), QStringLiteral("media-optical"), disk};
    case platform::system::DRIVE_REMOVABLE:
        return {QStringLiteral("drive-removable-media"), QStringLiteral("drive-removable-media-usb"), disk};
    case platform::system::DRIVE_REMOTE:
        return {QStringLiteral("folder-remote"), QStringLiteral("network-server"), disk};
    default:
        return {disk};
    }
}

QStringList IconBaseDirectories()
{
    QStringList bases{QDir::homePath() + QStringLiteral("/.icons")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        bases.append(data + QStringLiteral("/icons"));
    return bases;
}

// The theme file of `name` closest to `size`: the exact size first, then the
// smallest larger one (scaled down), so the icon stays sharp.
QString FindIconFile(const QString& name, int size)
{
    static constexpr std::array kSizes = {16, 22, 24, 32, 48, 64, 96, 128, 256, 512};
    static const std::array kThemes = {QStringLiteral("Adwaita"), QStringLiteral("hicolor")};
    static const std::array kContexts = {QStringLiteral("devices"), QStringLiteral("places")};
    const QStringList bases = IconBaseDirectories();
    for (int candidate : kSizes) {
        if (candidate < size)
            continue;
        const QString sizeDir = QStringLiteral("%1x%1").arg(candidate);
        for (const QString& base : bases) {
            for (const QString& theme : kThemes) {
                for (const QString& context : kContexts) {
                    const QString file = QStringLiteral("%1/%2/%3/%4/%5.png").arg(base, theme, sizeDir, context, name);
                    if (QFileInfo::exists(file))
                        return file;
                }
            }
        }
    }
    return {};
}

} // namespace

bool GetDriveIcon(const std::string& root, int size, platform::ui::IconImage& out)
{
    const UINT type = platform::system::GetDriveType(root);
    if (type == platform::system::DRIVE_NO_ROOT_DIR || size <= 0)
        return false;
    for (const QString& name : IconNames(type)) {
        const QString file = FindIconFile(name, size);
        QImage image;
        if (file.isEmpty() || !image.load(file))
            continue;
        if (image.width() != size || image.height() != size)
            image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        out = platform::ui::IconImage::FromImage(image);
        return !out.IsNull();
    }
    return false;
}

} // namespace platform::shell
