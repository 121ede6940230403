#include "platform/system/File.h"

#include "platform/system/Errors.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::system {

namespace {

int OpenFlags(File::Mode mode)
{
    switch (mode) {
    case File::Mode::Read:
        return O_RDONLY;
    case File::Mode::ReadWrite:
        return O_RDWR;
    case File::Mode::CreateAlways:
        // No O_TRUNC: the file may be held by someone else, and it must not
        // lose its contents before our lock is granted.
        return O_RDWR | O_CREAT;
    }
    return O_RDONLY;
}

// A missing file in an existing folder is "file not found"; a missing folder
// on the way is "path not found", as the system tells the two apart.
DWORD MissingError(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return ERROR_FILE_NOT_FOUND;
    struct stat info { };
    const std::string folder = path.substr(0, slash);
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return ERROR_FILE_NOT_FOUND;
    return ERROR_PATH_NOT_FOUND;
}

} // namespace

File::~File()
{
    Close();
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
    , lastError_(other.lastError_)
    , path_(std::move(other.path_))
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        lastError_ = other.lastError_;
        path_ = std::move(other.path_);
    }
    return *this;
}

bool File::Open(const std::string& path, Mode mode)
{
    Close();
    path_ = path;
    if (path.empty()) {
        lastError_ = ERROR_PATH_NOT_FOUND;
        SetLastError(lastError_);
        return false;
    }
    const int fd = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        lastError_ = error == ENOENT ? MissingError(path) : ErrorFromErrno(error);
        SetLastError(lastError_);
        return false;
    }
    fd_ = fd;
    // An open that cannot finish leaves nothing open.
    const auto abandon = [this](int errnoValue) {
        Close();
        return Fail(errnoValue);
    };
    struct stat info { };
    if (::fstat(fd_, &info) != 0)
        return abandon(errno);
    // A folder opens for reading on Linux; the system refuses it.
    if (S_ISDIR(info.st_mode))
        return abandon(EISDIR);
    // The lock belongs to this open file description, so a conflicting open
    // of the same file fails whether it comes from this process or another.
    const int lock = mode == Mode::Read ? LOCK_SH : LOCK_EX;
    if (::flock(fd_, lock | LOCK_NB) != 0)
        return abandon(errno);
    if (mode == Mode::CreateAlways && ::ftruncate(fd_, 0) != 0)
        return abandon(errno);
    lastError_ = ERROR_SUCCESS;
    return true;
}

std::string File::CurrentPath() const
{
    struct stat own { };
    if (fd_ < 0 || ::fstat(fd_, &own) != 0 || own.st_nlink == 0)
        return {};
    const auto namesThisFile = [&own](const std::string& candidate) {
        struct stat named { };
        return !candidate.empty() && ::lstat(candidate.c_str(), &named) == 0 && named.st_dev == own.st_dev
            && named.st_ino == own.st_ino;
    };
    // The kernel follows renames of an open file; the name is checked all
    // the same, since another file may have taken it since.
    char link[PATH_MAX];
    const std::string descriptor = "/proc/self/fd/" + std::to_string(fd_);
    const ssize_t length = ::readlink(descriptor.c_str(), link, sizeof link - 1);
    if (length > 0) {
        const std::string linked(link, static_cast<std::size_t>(length));
        if (namesThisFile(linked))
            return linked;
    }
    // Without /proc: the name it was opened by, if that still names it.
    return namesThisFile(path_) ? path_ : std::string();
}

bool File::DeleteOpenFile()
{
    struct stat own { };
    if (fd_ < 0 || ::fstat(fd_, &own) != 0)
        return Fail(fd_ < 0 ? EBADF : errno);
    bool removed = true;
    if (own.st_nlink > 0) {
        const std::string current = CurrentPath();
        if (current.empty())
            removed = Fail(ENOENT);
        else if (::unlink(current.c_str()) != 0)
            removed = Fail(errno);
    }
    Close();
    return removed;
}

void File::Close()
{
    if (fd_ >= 0) {
        ::close(fd_); // releases the lock with the description
        fd_ = -1;
    }
}

namespace {

// Reads until `size` bytes are in or the file ends, resuming after signals;
// `step` reads at most n bytes to `at` once the first `done` are in.
template <class Step>
std::int64_t ReadFully(char* bytes, std::size_t size, Step&& step, int& error)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = step(bytes + done, size - done, done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return -1;
        }
        if (count == 0)
            break;
        done += static_cast<std::size_t>(count);
    }
    return static_cast<std::int64_t>(done);
}

} // namespace

std::int64_t File::Read(void* data, std::size_t size)
{
    if (fd_ < 0) {
        Fail(EBADF);
        return -1;
    }
    int error = 0;
    const std::int64_t count = ReadFully(
        static_cast<char*>(data), size, [this](char* at, std::size_t n, std::size_t) { return ::read(fd_, at, n); },
        error);
    if (count < 0)
        Fail(error);
    return count;
}

std::int64_t File::ReadAt(std::uint64_t position, void* data, std::size_t size)
{
    if (fd_ < 0) {
        Fail(EBADF);
        return -1;
    }
    if (position > static_cast<std::uint64_t>(INT64_MAX)) {
        Fail(EINVAL);
        return -1;
    }
    int error = 0;
    const std::int64_t count = ReadFully(
        static_cast<char*>(data), size,
        [this, position](char* at, std::size_t n, std::size_t done) {
            return ::pread(fd_, at, n, static_cast<off_t>(position + done));
        },
        error);
    if (count < 0)
        Fail(error);
    return count;
}

bool File::ReadExact(void* data, std::size_t size)
{
    const std::int64_t count = Read(data, size);
    if (count < 0)
        return false;
    if (static_cast<std::size_t>(count) != size) {
        lastError_ = ERROR_HANDLE_EOF;
        SetLastError(lastError_);
        return false;
    }
    return true;
}

bool File::Write(const void* data, std::size_t size)
{
    if (fd_ < 0)
        return Fail(EBADF);
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::write(fd_, bytes + done, size - done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            // Writing through a file opened for reading is refused access.
            return Fail(errno == EBADF ? EACCES : errno);
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

bool File::Seek(std::uint64_t position)
{
    if (fd_ < 0)
        return Fail(EBADF);
    if (position > static_cast<std::uint64_t>(INT64_MAX))
        return Fail(EINVAL);
    if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0)
        return Fail(errno);
    return true;
}

std::int64_t File::Position() const
{
    if (fd_ < 0)
        return -1;
    return ::lseek(fd_, 0, SEEK_CUR);
}

std::int64_t File::Size() const
{
    struct stat info { };
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return -1;
    return info.st_size;
}

bool File::Flush()
{
    if (fd_ < 0)
        return Fail(EBADF);
    if (::fdatasync(fd_) != 0 && errno != EINVAL)
        return Fail(errno);
    return true;
}

bool File::Fail(int errnoValue)
{
    lastError_ = ErrorFromErrno(errnoValue);
    SetLastError(lastError_);
    return false;
}

} // namespace platform::system

namespace platform::system {

bool GetFileSize(const std::string& path, std::uint64_t* size)
{
    struct stat status { };
    if (::stat(path.c_str(), &status) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (size != nullptr)
        *size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

} // namespace platform::system
