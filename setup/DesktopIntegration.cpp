#include "setup/DesktopIntegration.h"

#include "platform/shell/NamespaceIds.h"
#include "platform/system/Errors.h"
#include "setup/Installer.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace {

constexpr const char* kApplicationEntry = "applications/pellidor.desktop";
constexpr const char* kSearchEntry = "applications/pellidor-search.desktop";
constexpr const char* kMimePackage = "mime/packages/pellidor.xml";
constexpr const char* kServiceMenu = "kio/servicemenus/pellidor-add.desktop";
constexpr const char* kNautilusScript = "nautilus/scripts/Add to Pellidor";
constexpr const char* kIconTheme = "icons/hicolor";
constexpr const char* kIconName = "pellidor";
constexpr const char* kMimeType = "application/x-pellidor-catalog";
constexpr int kIconSizes[] = {16, 32, 48, 128};
// A tool that has not finished by then is taken as failed.
constexpr int kToolMilliseconds = 60000;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string IconPath(int size)
{
    const std::string edge = std::to_string(size);
    return std::string(kIconTheme) + "/" + edge + "x" + edge + "/apps/" + kIconName + ".png";
}

std::string Hex(const std::vector<BYTE>& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const BYTE byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

// A desktop entry's string value: backslashes and control characters
// escaped.
std::string EscapedValue(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// The shelf where this installation puts it: on the Desktop, or else in
// My Computer.
std::string ShelfLocation(const InstallerState& state)
{
    return Hex(state.iconOnDesktop ? platform::shell::DesktopJunctionIdList(kShelfClsid)
                                   : platform::shell::MyComputerJunctionIdList(kShelfClsid));
}

std::string ApplicationEntry(const InstallerState& state, const std::string& programs)
{
    // A catalog opened from a file manager opens the shelf: the explorer
    // takes one location and ignores the file, and the shelf lists every
    // catalog of the catalog directory.
    const std::string explorer = programs + "/explorer";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.4\n"
           "Name=Pellidor\n"
           "GenericName=Media catalog\n"
           "Comment=Browse the catalogs of your discs and USB sticks\n"
           "Icon=pellidor\n"
           "TryExec="
        + EscapedValue(explorer) + "\nExec=" + ExecArgument(explorer) + " " + ShelfLocation(state)
        + " %f\n"
          "MimeType="
        + kMimeType
        + ";\n"
          "Categories=Utility;FileTools;\n"
          "Terminal=false\n";
}

std::string SearchEntry(const InstallerState& state, const std::string& programs)
{
    // rundll32 reads the library's path up to the comma, so the path and
    // the entry's name stay one argument, blanks and all.
    const std::string rundll32 = programs + "/rundll32";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.4\n"
           "Name=Find in Pellidor catalogs\n"
           "Comment=Search every catalog by name, place, date, type and size\n"
           "Icon=pellidor\n"
           "TryExec="
        + EscapedValue(rundll32) + "\nExec=" + ExecArgument(rundll32) + " "
        + ExecArgument(state.targetLibrary + ",DoSearch")
        + "\n"
          "Categories=Utility;FileTools;\n"
          "Terminal=false\n";
}

std::string MimePackage()
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"")
        + kMimeType
        + "\">\n"
          "    <comment>Pellidor catalog</comment>\n"
          "    <icon name=\"pellidor\"/>\n"
          "    <magic priority=\"50\">\n"
          "      <match type=\"string\" offset=\"0\" value=\"PD\"/>\n"
          "    </magic>\n"
          "    <glob pattern=\"*.pld\"/>\n"
          "  </mime-type>\n"
          "</mime-info>\n";
}

std::string ServiceMenu(const std::string& programs)
{
    // Dolphin runs the action once for each selected folder with %f. A
    // mounted volume is a folder to it (inode/directory); its mount point
    // type is named as well for file managers that tell them apart.
    return "[Desktop Entry]\n"
           "Type=Service\n"
           "Name=Add to Pellidor\n"
           "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
           "MimeType=inode/directory;inode/mount-point;\n"
           "X-KDE-Protocols=file\n"
           "X-KDE-Priority=TopLevel\n"
           "Actions=addToPellidor;\n"
           "\n"
           "[Desktop Action addToPellidor]\n"
           "Name=Add to Pellidor\n"
           "Icon=pellidor\n"
           "Exec="
        + ExecArgument(programs + "/pellidor") + " read --gui %f\n";
}

std::string NautilusScript(const std::string& programs)
{
    // Nautilus gives local selections one path a line; a path may hold
    // blanks, so each line is read whole. Elsewhere the names come as
    // arguments. Every folder is read, one dialog after the other.
    return "#!/bin/sh\n"
           "# Add to Pellidor: reads each selected folder or mounted volume into a\n"
           "# new catalog under the reading dialog. Pellidor's uninstall removes it.\n"
           "pellidor="
        + ShellQuoted(programs + "/pellidor")
        + "\n"
          "status=0\n"
          "if [ -n \"${NAUTILUS_SCRIPT_SELECTED_FILE_PATHS:-}\" ]; then\n"
          "  while IFS= read -r path; do\n"
          "    [ -n \"$path\" ] || continue\n"
          "    \"$pellidor\" read --gui \"$path\" || status=1\n"
          "  done <<EOF\n"
          "$NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\n"
          "EOF\n"
          "else\n"
          "  for path in \"$@\"; do\n"
          "    \"$pellidor\" read --gui \"$path\" || status=1\n"
          "  done\n"
          "fi\n"
          "exit $status\n";
}

std::string IconImage(int size)
{
    QFile file(QStringLiteral(":/setup/icons/%1.png").arg(size));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

std::string ErrnoText(int error)
{
    return platform::system::ErrorMessage(platform::system::ErrorFromErrno(error));
}

// Writes `content` beside `path` and renames it into place, so a file
// manager never reads half a file and an earlier one is replaced whole.
int WriteWhole(const std::string& path, const std::string& content, mode_t mode)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return errno;
    int error = 0;
    std::size_t written = 0;
    while (error == 0 && written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno != EINTR)
            error = errno;
        else if (n > 0)
            written += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fchmod(fd, mode) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.c_str());
    return error;
}

} // namespace

std::string ExecArgument(const std::string& argument)
{
    std::string word = argument;
    if (argument.empty() || argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos) {
        word = "\"";
        for (const char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                word += '\\';
            word += c;
        }
        word += '"';
    }
    std::string percent;
    for (const char c : word) {
        percent += c;
        if (c == '%')
            percent += '%';
    }
    return EscapedValue(percent);
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::vector<DesktopFile> DesktopFiles(const InstallerState& state)
{
    const std::string programs = FolderOf(state.sourceInstaller);
    std::vector<DesktopFile> files = {
        {kApplicationEntry, ApplicationEntry(state, programs)},
        {kSearchEntry, SearchEntry(state, programs)},
    };
    for (const int size : kIconSizes)
        files.push_back({IconPath(size), IconImage(size)});
    files.push_back({kMimePackage, MimePackage()});
    // Dolphin 5.x and 6 take a service menu only when it is executable.
    files.push_back({kServiceMenu, ServiceMenu(programs), true});
    files.push_back({kNautilusScript, NautilusScript(programs), true});
    return files;
}

CDesktopIntegration::CDesktopIntegration(const InstallerState& state, std::string dataHome, FailureRecorder record)
    : state_(state)
    , dataHome_(std::move(dataHome))
    , record_(std::move(record))
{
}

void CDesktopIntegration::Install()
{
    for (const DesktopFile& file : DesktopFiles(state_))
        WriteFile(file);
    UpdateMimeDatabase();
    UpdateIconCache();
}

void CDesktopIntegration::Uninstall()
{
    const std::vector<DesktopFile> files = DesktopFiles(state_);
    for (const DesktopFile& file : files)
        RemoveFile(file.path);
    // Before the folders go: the tool wants its packages folder, even empty.
    UpdateMimeDatabase();
    UpdateIconCache();
    for (const DesktopFile& file : files)
        RemoveEmptyDirectories(FolderOf(file.path));
}

bool CDesktopIntegration::MakeDirectories(const std::string& directory)
{
    // Every level that is missing, from the top down; an existing one
    // answers EEXIST, whoever may write to it.
    std::string path;
    for (std::size_t slash = 0; slash != std::string::npos;) {
        slash = directory.find('/', slash + 1);
        path = directory.substr(0, slash);
        if (path.empty() || ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST)
            continue;
        record_("CreateDirectory", path, ErrnoText(errno));
        return false;
    }
    return true;
}

void CDesktopIntegration::WriteFile(const DesktopFile& file)
{
    const std::string path = dataHome_ + "/" + file.path;
    if (!MakeDirectories(FolderOf(path)))
        return;
    if (file.content.empty()) {
        record_("WriteFile", path, platform::system::ErrorMessage(platform::system::ERROR_FILE_NOT_FOUND));
        return;
    }
    if (const int error = WriteWhole(path, file.content, file.executable ? 0755 : 0644))
        record_("WriteFile", path, ErrnoText(error));
}

void CDesktopIntegration::RemoveFile(const std::string& relative)
{
    const std::string path = dataHome_ + "/" + relative;
    // Under something that is no folder, the file is not there either.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR)
        record_("DeleteFile", path, ErrnoText(errno));
}

void CDesktopIntegration::RemoveEmptyDirectories(const std::string& relative)
{
    // Up to the data directory, never it: a directory that still holds
    // anything is someone's and stays.
    for (std::string folder = relative; !folder.empty() && folder != "."; folder = FolderOf(folder)) {
        if (::rmdir((dataHome_ + "/" + folder).c_str()) != 0)
            return;
        if (folder.find('/') == std::string::npos)
            return;
    }
}

void CDesktopIntegration::UpdateMimeDatabase()
{
    // Also after the uninstall has removed our package: the database then
    // forgets the type. Without a packages folder there is nothing to
    // build a database from (and the tool refuses).
    const std::string mime = dataHome_ + "/mime";
    if (::access((mime + "/packages").c_str(), F_OK) != 0)
        return;
    RunTool("update-mime-database", {mime}, mime);
}

void CDesktopIntegration::UpdateIconCache()
{
    // A theme folder of our own data directory has no cache unless someone
    // made one; one that exists is kept current, none is made.
    const std::string theme = dataHome_ + "/" + kIconTheme;
    if (::access((theme + "/icon-theme.cache").c_str(), F_OK) != 0)
        return;
    RunTool("gtk-update-icon-cache", {"--force", "--ignore-theme-index", "--quiet", theme}, theme);
}

void CDesktopIntegration::RunTool(
    const char* program, const std::vector<std::string>& arguments, const std::string& object)
{
    const QString path = QStandardPaths::findExecutable(QString::fromUtf8(program));
    if (path.isEmpty())
        return;
    QStringList list;
    for (const std::string& argument : arguments)
        list.append(QString::fromStdString(argument));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(path, list);
    const bool finished = process.waitForStarted(kToolMilliseconds) && process.waitForFinished(kToolMilliseconds);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return;
    if (!finished)
        process.kill();
    const std::string said = process.readAll().trimmed().toStdString();
    record_(program, object,
        said.empty() ? "The program ended with status " + std::to_string(process.exitCode()) + "." : said);
}

} // namespace setup
