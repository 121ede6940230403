#include "platform/system/Paths.h"

#include <QDir>
#include <QString>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform::system {

namespace {

std::string EnsureDirectory(const std::string& path)
{
    QDir().mkpath(QString::fromStdString(path));
    return path;
}

} // namespace

std::string HomeDirectory()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

std::string DataHomeDirectory()
{
    // Read on every call: the environment may change while the process runs
    // (each test has its own data directory).
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG base
    // directory rules say.
    return (dataHome != nullptr && dataHome[0] == '/') ? std::string(dataHome) : HomeDirectory() + "/.local/share";
}

std::string PlatformDataDirectory()
{
    return EnsureDirectory(DataHomeDirectory() + "/pellidor");
}

std::string SystemDirectory()
{
    return EnsureDirectory(PlatformDataDirectory() + "/system");
}

std::string FavoritesDirectory()
{
    return EnsureDirectory(PlatformDataDirectory() + "/Favorites");
}

} // namespace platform::system
