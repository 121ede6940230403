#include "platform/shell/FileInfo.h"

#include "platform/shell/TypeKey.h"

#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <mutex>
#include <unordered_map>

namespace platform::shell {

namespace {

constexpr DWORD kDirectoryBit = 0x10;

QMimeType TypeOf(const std::string& name, DWORD attributes)
{
    if ((attributes & kDirectoryBit) != 0)
        return QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory"));
    return GetFileNameType(name);
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

QMimeType GetFileNameType(const std::string& name)
{
    // By the name alone: the file is usually not on this machine at all.
    return QMimeDatabase().mimeTypeForFile(
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), QMimeDatabase::MatchExtension);
}

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

namespace {

std::string LookUpTypeName(const std::string& name, DWORD attributes)
{
    const QMimeType type = TypeOf(name, attributes);
    if (!type.isValid() || type.isDefault())
        return {};
    return type.comment().toStdString();
}

// Asking the database costs tens of microseconds a name (it tries its
// wildcard globs one by one), and a search result list asks once per row.
// Names that share their key share their type, so one answer per key is
// kept. Any thread may ask.
class TypeNameCache {
public:
    static TypeNameCache& Instance()
    {
        static TypeNameCache cache;
        return cache;
    }

    std::string Get(const std::string& name, DWORD attributes)
    {
        std::optional<std::string> key;
        if ((attributes & kDirectoryBit) == 0)
            key = rules_.KeyOf(name);
        else
            key = std::string("/"); // no file key holds "/"
        if (!key)
            return LookUpTypeName(name, attributes);
        {
            std::lock_guard guard(mutex_);
            if (const auto found = names_.find(*key); found != names_.end())
                return found->second;
        }
        std::string typeName = LookUpTypeName(name, attributes);
        std::lock_guard guard(mutex_);
        if (names_.size() >= kMaxEntries)
            names_.clear(); // bounded: a catalog may hold any number of extensions
        names_.emplace(std::move(*key), typeName);
        return typeName;
    }

private:
    static constexpr std::size_t kMaxEntries = 4096;

    TypeNameCache() : rules_(TypeKeyRules::Installed()) { }

    const TypeKeyRules rules_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::string> names_;
};

} // namespace

std::string GetTypeName(const std::string& name, DWORD attributes)
{
    return TypeNameCache::Instance().Get(name, attributes);
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
