// pellidor catdir [DIR]: shows or sets the catalog directory.

#include "catalog/CatFile.h"
#include "cli/Commands.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace pellidor::cli {

namespace {

// The value holds at most 260 bytes with its NUL.
constexpr std::size_t kMaxDirectoryBytes = 259;

int ShowCatalogDirectory()
{
    const std::string directory = CCatFile::CatalogDirectory();
    if (directory.empty())
        return Fail("no catalog directory is set; set one with 'pellidor catdir DIR'");
    std::printf("%s\n", directory.c_str());
    return 0;
}

int SetCatalogDirectory(const std::string& argument)
{
    const QString absolute = QFileInfo(QString::fromStdString(argument)).absoluteFilePath();
    const std::string directory = QDir::cleanPath(absolute).toStdString();
    if (directory.size() > kMaxDirectoryBytes)
        return Fail("the path '" + directory + "' is longer than 259 bytes; choose a shorter one");
    if (!QDir().mkpath(QString::fromStdString(directory)) || !QFileInfo(QString::fromStdString(directory)).isDir())
        return Fail("cannot create the directory '" + directory + "'; check the path and its permissions");
    platform::registry::Key key;
    if (key.Create(platform::registry::Hive::LocalMachine, kCatDirKey) != 0 || key.SetString("", directory) != 0)
        return Fail("cannot store the catalog directory in the registry (" + platform::registry::DatabasePath() + ")");
    std::printf("%s\n", directory.c_str());
    return 0;
}

} // namespace

int RunCatdir(const Arguments& arguments)
{
    if (arguments.empty())
        return ShowCatalogDirectory();
    if (arguments.size() == 1 && !arguments[0].empty() && arguments[0][0] != '-')
        return SetCatalogDirectory(arguments[0]);
    return Fail("usage: pellidor catdir [DIR]", 2);
}

} // namespace pellidor::cli
