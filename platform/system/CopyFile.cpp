#include "platform/system/CopyFile.h"

#include "platform/system/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace platform::system {

namespace {

// A descriptor closed when the object goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) { }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_;
};

// The temporary file, removed unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string pattern) : path_(std::move(pattern))
    {
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0)
            path_.clear();
    }
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Get() const { return fd_; }
    const std::string& Path() const { return path_; }
    bool Close()
    {
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0;
    }
    void Keep() { path_.clear(); }

private:
    std::string path_;
    int fd_ = -1;
};

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

bool FailErrno(int errnoValue)
{
    return Fail(ErrorFromErrno(errnoValue));
}

std::string HiddenNameBeside(const std::string& target)
{
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "/." + name + ".XXXXXX";
}

bool CopyContents(int from, int to)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += put;
        }
    }
}

} // namespace

bool CopyFile(const std::string& source, const std::string& target, bool failIfExists)
{
    const Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!from.IsOpen())
        return FailErrno(errno);
    struct stat sourceInfo { };
    if (::fstat(from.Get(), &sourceInfo) != 0)
        return FailErrno(errno);
    if (S_ISDIR(sourceInfo.st_mode))
        return Fail(ERROR_ACCESS_DENIED);

    // The writer's lock on the old target, held until the new one is in its
    // place: a holder of the file (a loaded library) refuses the copy.
    const Descriptor old(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
    if (old.IsOpen()) {
        if (failIfExists)
            return Fail(ERROR_FILE_EXISTS);
        if (::flock(old.Get(), LOCK_EX | LOCK_NB) != 0)
            return errno == EWOULDBLOCK ? Fail(ERROR_SHARING_VIOLATION) : FailErrno(errno);
    } else if (errno != ENOENT) {
        return FailErrno(errno);
    }

    TemporaryFile copy(HiddenNameBeside(target));
    if (copy.Get() < 0)
        return FailErrno(errno);
    if (!CopyContents(from.Get(), copy.Get()) || ::fchmod(copy.Get(), sourceInfo.st_mode & 07777) != 0
        || ::fsync(copy.Get()) != 0)
        return FailErrno(errno);
    if (!copy.Close())
        return FailErrno(errno);
    if (failIfExists ? ::link(copy.Path().c_str(), target.c_str()) != 0
                     : ::rename(copy.Path().c_str(), target.c_str()) != 0)
        return FailErrno(errno);
    if (!failIfExists)
        copy.Keep();
    SetLastError(ERROR_SUCCESS);
    return true;
}

} // namespace platform::system
