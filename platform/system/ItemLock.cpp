#include "platform/system/ItemLock.h"

#include "platform/system/Errors.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::system {

namespace {

// Never follows a link: the link is what moves. Not blocking, so that a
// file swapped for a pipe meanwhile cannot stall the open.
constexpr int kFileFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A folder of many catalogs needs a descriptor per catalog while it moves,
// more than the usual soft limit of 1024; the soft limit is doubled, up to
// the hard one, only when that many are needed. The program's waits are
// poll() (the Qt event loop), never select(), which could not take
// descriptors past 1023.
bool RaiseDescriptorLimit()
{
    struct rlimit limit { };
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return false;
    limit.rlim_cur = std::min(limit.rlim_max, std::max<rlim_t>(limit.rlim_cur * 2, 1024));
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

int OpenAt(int directory, const char* name, int flags)
{
    for (;;) {
        const int fd = ::openat(directory, name, flags);
        if (fd >= 0)
            return fd;
        if (errno == EINTR || (errno == EMFILE && RaiseDescriptorLimit()))
            continue;
        return -1;
    }
}

// What went away, became a link, or may not be read by this user holds no
// lock of this user's opens: there is nothing to lock.
bool NothingToLock(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ELOOP || error == EACCES || error == EPERM;
}

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

ItemLock::~ItemLock()
{
    Release();
}

ItemLock::ItemLock(ItemLock&& other) noexcept : held_(std::exchange(other.held_, {}))
{
}

ItemLock& ItemLock::operator=(ItemLock&& other) noexcept
{
    if (this != &other) {
        Release();
        held_ = std::exchange(other.held_, {});
    }
    return *this;
}

DWORD ItemLock::Lock(const std::string& path)
{
    const std::size_t before = held_.size();
    const DWORD error = LockAt(AT_FDCWD, path.c_str());
    if (error != 0) {
        ReleaseFrom(before);
        SetLastError(error);
    }
    return error;
}

void ItemLock::Release()
{
    ReleaseFrom(0);
}

void ItemLock::ReleaseFrom(std::size_t first)
{
    // Closing the descriptor releases its lock.
    for (std::size_t i = first; i < held_.size(); ++i)
        ::close(held_[i]);
    held_.resize(std::min(first, held_.size()));
}

DWORD ItemLock::LockAt(int directory, const char* name)
{
    struct stat info { };
    if (::fstatat(directory, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return NothingToLock(errno) ? 0 : ErrorFromErrno(errno);
    if (S_ISREG(info.st_mode))
        return LockFileAt(directory, name);
    if (S_ISDIR(info.st_mode))
        return LockTreeAt(directory, name);
    return 0;
}

DWORD ItemLock::LockFileAt(int directory, const char* name)
{
    const int fd = OpenAt(directory, name, kFileFlags);
    if (fd < 0)
        return NothingToLock(errno) ? 0 : ErrorFromErrno(errno);
    held_.push_back(fd);
    struct stat info { };
    // Swapped for something else since it was looked at: that is not a file.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ReleaseFrom(held_.size() - 1);
        return 0;
    }
    int locked = 0;
    do
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    return locked == 0 ? 0 : ErrorFromErrno(errno);
}

DWORD ItemLock::LockTreeAt(int directory, const char* name)
{
    const int fd = OpenAt(directory, name, kFolderFlags);
    if (fd < 0)
        return NothingToLock(errno) ? 0 : ErrorFromErrno(errno);
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::fdopendir(fd), &::closedir);
    if (!folder) {
        const int error = errno;
        ::close(fd);
        return ErrorFromErrno(error);
    }
    const dirent* entry = nullptr;
    for (errno = 0; (entry = ::readdir(folder.get())) != nullptr; errno = 0) {
        if (IsDotOrDotDot(entry->d_name))
            continue;
        if (const DWORD error = LockAt(::dirfd(folder.get()), entry->d_name); error != 0)
            return error;
    }
    return errno == 0 ? 0 : ErrorFromErrno(errno);
}

} // namespace platform::system
