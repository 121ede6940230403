#include "platform/shell/FileInfo.h"

#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <mutex>

namespace platform::shell {

namespace {

constexpr DWORD kDirectoryBit = 0x10;

QMimeType TypeOf(const std::string& name, DWORD attributes)
{
    QMimeDatabase database;
    if ((attributes & kDirectoryBit) != 0)
        return database.mimeTypeForName(QStringLiteral("inode/directory"));
    // By the name alone: the file is usually not on this machine at all.
    return database.mimeTypeForFile(
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), QMimeDatabase::MatchExtension);
}

// Without a desktop session (the offscreen platform, a bare X server) Qt
// knows no theme, or names only hicolor, the base theme that holds no file
// type icons; the freedesktop default is tried then, with hicolor as its own
// fallback. A missing theme just yields no icons.
void EnsureIconTheme()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QString current = QIcon::themeName();
        if (current.isEmpty() || current == QStringLiteral("hicolor"))
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        if (QIcon::fallbackThemeName().isEmpty())
            QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
    });
}

} // namespace

DWORD GetFileAttributes(const std::string& path)
{
    const QFileInfo info(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    if (path.empty() || !info.exists())
        return INVALID_FILE_ATTRIBUTES;
    DWORD attributes = 0;
    if (info.isDir())
        attributes |= kDirectoryBit;
    if (!info.isWritable())
        attributes |= 0x01;
    if (info.fileName().startsWith(QLatin1Char('.')))
        attributes |= 0x02;
    return attributes == 0 ? 0x80 : attributes;
}

std::string GetTypeName(const std::string& name, DWORD attributes)
{
    const QMimeType type = TypeOf(name, attributes);
    if (!type.isValid() || type.isDefault())
        return {};
    return type.comment().toStdString();
}

QImage GetFileTypeIcon(const std::string& name, int size)
{
    const QMimeType type = TypeOf(name, 0);
    if (!type.isValid())
        return {};
    EnsureIconTheme();
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        return {};
    return icon.pixmap(size, size).toImage();
}

} // namespace platform::shell
