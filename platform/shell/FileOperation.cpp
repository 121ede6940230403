#include "platform/shell/FileOperation.h"

#include "platform/system/Errors.h"
#include "platform/system/ItemLock.h"
#include "platform/ui/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::shell {

namespace {

namespace fs = std::filesystem;
using platform::system::ErrorFromErrno;
using platform::system::ErrorMessage;
using platform::system::ItemLock;

constexpr DWORD kErrorGeneric = 31; // a device error: what has no closer match

std::mutex faultsMutex;
FileOperationFaults faults;
std::int64_t bytesWritten = 0; // counted against faults.writeLimit

FileOperationFaults CurrentFaults()
{
    std::lock_guard guard(faultsMutex);
    return faults;
}

// False once the test's write limit is reached; counts what may be written.
bool AllowWrite(std::size_t& size)
{
    std::lock_guard guard(faultsMutex);
    if (faults.writeLimit < 0)
        return true;
    const std::int64_t left = faults.writeLimit - bytesWritten;
    if (left <= 0)
        return false;
    if (static_cast<std::int64_t>(size) > left)
        size = static_cast<std::size_t>(left);
    bytesWritten += static_cast<std::int64_t>(size);
    return true;
}

std::vector<std::string> ParseList(const char* list)
{
    std::vector<std::string> out;
    if (list == nullptr)
        return out;
    for (const char* p = list; *p != '\0'; p += out.back().size() + 1)
        out.emplace_back(p);
    return out;
}

std::string NameOf(const std::string& path)
{
    return fs::path(path).filename().string();
}

std::string ParentOf(const std::string& path)
{
    return fs::path(path).parent_path().string();
}

bool Exists(const std::string& path, struct stat* st = nullptr)
{
    struct stat local { };
    return ::lstat(path.c_str(), st != nullptr ? st : &local) == 0;
}

class Reporter {
public:
    Reporter(HWND owner, WORD flags) : owner_(owner), flags_(flags) { }

    // Shows "Cannot VERB 'NAME': reason" unless errors are silenced, and
    // answers the error for `return report.Fail(…)`.
    DWORD Fail(const char* caption, const char* verb, const std::string& path, DWORD error,
        const std::string& reason = {}) const
    {
        if ((flags_ & (FOF_NOERRORUI | FOF_SILENT)) == 0) {
            const std::string text = std::string("Cannot ") + verb + " '" + NameOf(path)
                + "': " + (reason.empty() ? ErrorMessage(error) : reason);
            ui::MessageBox(owner_, text, caption, ui::MB_OK | ui::MB_ICONERROR);
        }
        platform::system::SetLastError(error);
        return error;
    }

    bool Ask(const std::string& text, const char* caption, UINT icon) const
    {
        if ((flags_ & FOF_NOCONFIRMATION) != 0)
            return true;
        return ui::MessageBox(owner_, text, caption, ui::MB_YESNO | icon) == ui::IDYES;
    }

private:
    HWND owner_;
    WORD flags_;
};

// A name beside `path` that nothing else uses; hidden, so scans skip it.
std::string HiddenSibling(const std::string& path, const char* purpose)
{
    static std::atomic<unsigned> counter{0};
    const std::string parent = ParentOf(path);
    for (;;) {
        char suffix[64];
        std::snprintf(
            suffix, sizeof suffix, ".pellidor-%s-%d-%u", purpose, static_cast<int>(::getpid()), counter.fetch_add(1));
        std::string candidate = (parent.empty() ? std::string() : parent + "/") + "." + NameOf(path) + suffix;
        if (!Exists(candidate))
            return candidate;
    }
}

// Removes a tree; 0 or the Windows error.
DWORD RemoveTree(const std::string& path)
{
    std::error_code ec;
    fs::remove_all(path, ec);
    return ec ? ErrorFromErrno(ec.value()) : 0;
}

DWORD CopyFileContents(const std::string& from, const std::string& to, const struct stat& st)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return ErrorFromErrno(errno);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        const int saved = errno;
        ::close(in);
        return ErrorFromErrno(saved);
    }
    DWORD error = 0;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = ErrorFromErrno(errno);
            break;
        }
        if (got == 0)
            break;
        std::size_t done = 0;
        while (done < static_cast<std::size_t>(got) && error == 0) {
            std::size_t chunk = static_cast<std::size_t>(got) - done;
            if (!AllowWrite(chunk)) {
                error = ErrorFromErrno(ENOSPC);
                break;
            }
            const ssize_t put = ::write(out, buffer + done, chunk);
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                error = ErrorFromErrno(errno);
            else
                done += static_cast<std::size_t>(put);
        }
        if (error != 0)
            break;
    }
    if (error == 0 && ::fsync(out) != 0)
        error = ErrorFromErrno(errno);
    if (error == 0) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
    }
    if (::close(out) != 0 && error == 0)
        error = ErrorFromErrno(errno);
    ::close(in);
    return error;
}

// Copies a file, a symbolic link (as the link) or a directory tree; 0 or
// the Windows error. What was copied before a failure stays for the caller
// to remove.
DWORD CopyTree(const std::string& from, const std::string& to)
{
    struct stat st { };
    if (::lstat(from.c_str(), &st) != 0)
        return ErrorFromErrno(errno);
    if (S_ISLNK(st.st_mode)) {
        std::string target(static_cast<std::size_t>(st.st_size) + 1, '\0');
        const ssize_t n = ::readlink(from.c_str(), target.data(), target.size());
        if (n < 0)
            return ErrorFromErrno(errno);
        target.resize(static_cast<std::size_t>(n));
        return ::symlink(target.c_str(), to.c_str()) == 0 ? 0 : ErrorFromErrno(errno);
    }
    if (S_ISREG(st.st_mode))
        return CopyFileContents(from, to, st);
    if (!S_ISDIR(st.st_mode))
        return platform::system::ERROR_NOT_SUPPORTED;

    if (::mkdir(to.c_str(), 0700) != 0)
        return ErrorFromErrno(errno);
    DIR* dir = ::opendir(from.c_str());
    if (dir == nullptr)
        return ErrorFromErrno(errno);
    DWORD error = 0;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        error = CopyTree(from + "/" + name, to + "/" + name);
        if (error != 0)
            break;
        errno = 0;
    }
    if (error == 0 && errno != 0)
        error = ErrorFromErrno(errno);
    ::closedir(dir);
    if (error == 0) {
        ::chmod(to.c_str(), st.st_mode & 07777);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, to.c_str(), times, 0);
    }
    return error;
}

// Moves `from` to the free name `to` without replacing anything; errno
// style: 0 or the errno value.
int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: check, then rename.
    if (Exists(to))
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool IsInside(const std::string& inner, const std::string& outer)
{
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    if (ec)
        return false;
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (ai == a.end() || *ai != *bi)
            return false;
    }
    return true;
}

// Moves across file systems: copy to a staging name beside the destination,
// put it in place (setting a replaced item aside until then), and only then
// remove the source.
DWORD MoveAcross(const std::string& from, const std::string& to, bool replace)
{
    const std::string staged = StagingPathFor(to);
    if (const DWORD error = CopyTree(from, staged); error != 0) {
        RemoveTree(staged);
        return error;
    }
    std::string aside;
    if (replace) {
        aside = HiddenSibling(to, "replaced");
        if (::rename(to.c_str(), aside.c_str()) != 0) {
            const DWORD error = ErrorFromErrno(errno);
            RemoveTree(staged);
            return error;
        }
    }
    if (const int e = RenameNoReplace(staged, to); e != 0) {
        if (replace)
            ::rename(aside.c_str(), to.c_str());
        RemoveTree(staged);
        return ErrorFromErrno(e);
    }
    if (replace)
        RemoveTree(aside);
    // The copy is complete and in place: a failure from here on leaves the
    // rest of the source, never less than everything.
    return RemoveTree(from);
}

DWORD MoveWithin(const std::string& from, const std::string& to, bool replace, bool* crossDevice)
{
    if (!replace) {
        const int e = RenameNoReplace(from, to);
        *crossDevice = e == EXDEV;
        return e == 0 || *crossDevice ? 0 : ErrorFromErrno(e);
    }
    const std::string aside = HiddenSibling(to, "replaced");
    if (::rename(to.c_str(), aside.c_str()) != 0)
        return ErrorFromErrno(errno);
    if (const int e = RenameNoReplace(from, to); e != 0) {
        ::rename(aside.c_str(), to.c_str());
        *crossDevice = e == EXDEV;
        return *crossDevice ? 0 : ErrorFromErrno(e);
    }
    RemoveTree(aside);
    return 0;
}

int DoDelete(const Reporter& report, const std::vector<std::string>& from, WORD flags, bool* aborted)
{
    constexpr const char* kCaption = "Error Deleting File or Folder";
    for (const auto& path : from) {
        if (!Exists(path))
            return static_cast<int>(report.Fail(kCaption, "delete", path, platform::system::ERROR_FILE_NOT_FOUND));
    }
    const bool toTrash = (flags & FOF_ALLOWUNDO) != 0;
    const std::string what
        = from.size() == 1 ? "'" + NameOf(from.front()) + "'" : "these " + std::to_string(from.size()) + " items";
    const std::string question = toTrash ? "Are you sure you want to move " + what + " to the Trash?"
                                         : "Are you sure you want to permanently delete " + what + "?";
    if (!report.Ask(question, "Confirm Delete", toTrash ? ui::MB_ICONQUESTION : ui::MB_ICONWARNING)) {
        *aborted = true;
        return static_cast<int>(platform::system::ERROR_CANCELLED);
    }
    // Every item is locked before any is touched, so one that is held open
    // stops the whole deletion with everything still in place.
    ItemLock locks;
    for (const auto& path : from) {
        if (const DWORD error = locks.Lock(path); error != 0)
            return static_cast<int>(report.Fail(kCaption, "delete", path, error));
    }
    if (toTrash) {
        // The Trash lives in the data home, which a fresh account may lack.
        // Qt falls back on it for every item and, when it cannot be made,
        // moves the item into the working directory and calls that success:
        // without a Trash nothing is deleted.
        const QString trash
            = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
        if (!QDir().mkpath(trash) || !QFileInfo(trash).isDir())
            return static_cast<int>(report.Fail(kCaption, "delete", from.front(),
                platform::system::ERROR_PATH_NOT_FOUND, "The Trash (" + trash.toStdString() + ") cannot be made."));
    }
    for (const auto& path : from) {
        if (toTrash) {
            QFile file(QString::fromUtf8(path));
            if (!file.moveToTrash()) {
                const DWORD error = ::access(ParentOf(path).c_str(), W_OK) != 0 ? ErrorFromErrno(errno) : kErrorGeneric;
                return static_cast<int>(report.Fail(kCaption, "delete", path, error, file.errorString().toStdString()));
            }
        } else if (const DWORD error = RemoveTree(path); error != 0) {
            return static_cast<int>(report.Fail(kCaption, "delete", path, error));
        }
    }
    return 0;
}

int DoRename(const Reporter& report, const std::vector<std::string>& from, const std::string& to)
{
    constexpr const char* kCaption = "Error Renaming File or Folder";
    if (from.size() != 1 || to.empty())
        return static_cast<int>(platform::system::ERROR_INVALID_PARAMETER);
    const std::string& source = from.front();
    if (!Exists(source))
        return static_cast<int>(report.Fail(kCaption, "rename", source, platform::system::ERROR_FILE_NOT_FOUND));
    // A rename stays in its directory: a name holding "/" or being "." or
    // ".." would put the item somewhere else.
    const std::string newName = to.substr(to.find_last_of('/') + 1);
    const bool sameParent
        = to.find_last_of('/') == std::string::npos ? ParentOf(source).empty() : ParentOf(to) == ParentOf(source);
    if (newName.empty() || newName == "." || newName == ".." || !sameParent)
        return static_cast<int>(report.Fail(kCaption, "rename", source, platform::system::ERROR_INVALID_NAME));
    if (to == source)
        return 0;
    ItemLock lock;
    if (const DWORD error = lock.Lock(source); error != 0)
        return static_cast<int>(report.Fail(kCaption, "rename", source, error));
    if (const int e = RenameNoReplace(source, to); e != 0) {
        const DWORD error = e == EEXIST ? platform::system::ERROR_ALREADY_EXISTS : ErrorFromErrno(e);
        return static_cast<int>(report.Fail(kCaption, "rename", source, error));
    }
    return 0;
}

int DoMove(const Reporter& report, const std::vector<std::string>& from, const std::string& toDirectory, bool* aborted)
{
    constexpr const char* kCaption = "Error Moving File or Folder";
    struct stat dirStat { };
    if (::stat(toDirectory.c_str(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode))
        return static_cast<int>(report.Fail(kCaption, "move", toDirectory, platform::system::ERROR_PATH_NOT_FOUND));
    const FileOperationFaults active = CurrentFaults();
    int result = 0;
    for (const auto& source : from) {
        struct stat st { };
        if (!Exists(source, &st))
            return static_cast<int>(report.Fail(kCaption, "move", source, platform::system::ERROR_FILE_NOT_FOUND));
        const std::string target = toDirectory + "/" + NameOf(source);
        std::error_code ec;
        if (fs::equivalent(ParentOf(source).empty() ? "." : ParentOf(source), toDirectory, ec))
            continue; // already there
        if (S_ISDIR(st.st_mode) && IsInside(toDirectory, source))
            return static_cast<int>(report.Fail(kCaption, "move", source, platform::system::ERROR_INVALID_PARAMETER,
                "The destination folder is inside the source folder."));
        struct stat existing { };
        const bool replace = Exists(target, &existing);
        if (replace) {
            if (S_ISDIR(existing.st_mode) != S_ISDIR(st.st_mode))
                return static_cast<int>(report.Fail(kCaption, "move", source, platform::system::ERROR_ALREADY_EXISTS));
            const std::string question
                = "The destination already has an item named '" + NameOf(source) + "'.\nDo you want to replace it?";
            if (!report.Ask(question, "Confirm Replace", ui::MB_ICONWARNING)) {
                *aborted = true;
                result = static_cast<int>(platform::system::ERROR_CANCELLED);
                continue;
            }
        }
        // Held until the item is in place, through the copy and the removal
        // of a move across file systems; a replaced item is deleted, so it
        // is locked too.
        ItemLock lock;
        DWORD lockError = lock.Lock(source);
        if (lockError == 0 && replace)
            lockError = lock.Lock(target);
        if (lockError != 0)
            return static_cast<int>(report.Fail(kCaption, "move", source, lockError));
        bool crossDevice = active.crossDevice || st.st_dev != dirStat.st_dev;
        if (!crossDevice) {
            if (const DWORD error = MoveWithin(source, target, replace, &crossDevice); error != 0)
                return static_cast<int>(report.Fail(kCaption, "move", source, error));
        }
        if (crossDevice) {
            if (const DWORD error = MoveAcross(source, target, replace); error != 0)
                return static_cast<int>(report.Fail(kCaption, "move", source, error));
        }
    }
    return result;
}

} // namespace

std::string StagingPathFor(const std::string& destination)
{
    return HiddenSibling(destination, "staging");
}

int FileOperation(
    HWND owner, UINT function, const std::vector<std::string>& from, const std::string& to, WORD flags, bool* aborted)
{
    bool declined = false;
    const Reporter report(owner, flags);
    int result = static_cast<int>(platform::system::ERROR_INVALID_PARAMETER);
    if (!from.empty()) {
        switch (function) {
        case FO_DELETE:
            result = DoDelete(report, from, flags, &declined);
            break;
        case FO_RENAME:
            result = DoRename(report, from, to);
            break;
        case FO_MOVE:
            result = DoMove(report, from, to, &declined);
            break;
        default:
            result = static_cast<int>(platform::system::ERROR_NOT_SUPPORTED);
            break;
        }
    }
    if (aborted != nullptr)
        *aborted = declined;
    return result;
}

int SHFileOperation(SHFILEOPSTRUCTA* op)
{
    if (op == nullptr)
        return static_cast<int>(platform::system::ERROR_INVALID_PARAMETER);
    std::vector<std::string> to = ParseList(op->pTo);
    bool aborted = false;
    const int result = FileOperation(
        op->hwnd, op->wFunc, ParseList(op->pFrom), to.empty() ? std::string() : to.front(), op->fFlags, &aborted);
    op->fAnyOperationsAborted = aborted ? 1 : 0;
    return result;
}

bool CreateDirectory(const std::string& path)
{
    if (::mkdir(path.c_str(), 0777) == 0) {
        platform::system::SetLastError(0);
        return true;
    }
    DWORD error = ErrorFromErrno(errno);
    if (errno == EEXIST)
        error = platform::system::ERROR_ALREADY_EXISTS;
    else if (errno == ENOENT || errno == ENOTDIR)
        error = platform::system::ERROR_PATH_NOT_FOUND;
    platform::system::SetLastError(error);
    return false;
}

void SetFileOperationFaults(const FileOperationFaults& newFaults)
{
    std::lock_guard guard(faultsMutex);
    faults = newFaults;
    bytesWritten = 0;
}

} // namespace platform::shell
