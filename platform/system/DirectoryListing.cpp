#include "platform/system/DirectoryListing.h"

#include "platform/system/Errors.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace platform::system {

namespace {

constexpr long kMsdosMagic = 0x4d44;
constexpr long kExfatMagic = 0x2011BAB0;
// One getdents64 call fills this much; it is held only while a listing runs.
constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr DWORD kDosBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM
    | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
constexpr unsigned kStatxMask
    = STATX_TYPE | STATX_MODE | STATX_ATIME | STATX_MTIME | STATX_BTIME | STATX_SIZE | STATX_INO;

struct LinuxDirent64 {
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

DWORD OpenError(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
    case ELOOP: // a symbolic link where a folder was expected
        return ERROR_DIRECTORY;
    default:
        return ErrorFromErrno(errnoValue);
    }
}

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::int32_t StatxTime(const struct statx& info, unsigned bit, const statx_timestamp& time)
{
    return (info.stx_mask & bit) != 0 ? ToTime32(time.tv_sec) : -1;
}

DWORD AttributesFromMode(unsigned mode)
{
    DWORD attributes = 0;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (S_ISLNK(mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    else if ((mode & S_IWUSR) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

DWORD AttributesFromType(unsigned char type)
{
    if (type == DT_DIR)
        return FILE_ATTRIBUTE_DIRECTORY;
    return type == DT_LNK ? FILE_ATTRIBUTE_REPARSE_POINT : 0;
}

} // namespace

std::int32_t ToTime32(std::int64_t seconds)
{
    if (seconds == 0 || seconds < INT32_MIN || seconds > INT32_MAX)
        return -1;
    return static_cast<std::int32_t>(seconds);
}

struct DirectoryListing::State {
    int fd = -1;
    bool fatFamily = false;
    bool ended = false;
    // Not zero-filled: getdents64 writes what is read.
    std::unique_ptr<char[]> buffer;
    std::size_t used = 0;
    std::size_t position = 0;
    DWORD lastError = 0;

    bool Adopt(int descriptor)
    {
        if (descriptor < 0) {
            lastError = OpenError(errno);
            return false;
        }
        fd = descriptor;
        struct statfs info { };
        fatFamily = ::fstatfs(fd, &info) == 0 && (info.f_type == kMsdosMagic || info.f_type == kExfatMagic);
        lastError = 0;
        return true;
    }

    void Close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        ended = false;
        buffer.reset();
        used = position = 0;
    }

    // The next raw entry, or null at the end or on an error.
    const LinuxDirent64* NextRaw()
    {
        while (position >= used) {
            if (ended || fd < 0)
                return nullptr;
            if (!buffer)
                buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
            const long count = ::syscall(SYS_getdents64, fd, buffer.get(), kBufferBytes);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                lastError = count < 0 ? ErrorFromErrno(errno) : 0;
                ended = true;
                buffer.reset(); // the children walked after this listing need none of it
                used = position = 0;
                return nullptr;
            }
            used = static_cast<std::size_t>(count);
            position = 0;
        }
        const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer.get() + position);
        position += entry->d_reclen;
        return entry;
    }

    // FAT and exFAT keep real DOS attribute bits; the kernel hands them out
    // through an ioctl on the opened file.
    bool ReadDosAttributes(const char* name, DWORD& out) const
    {
        const int file = ::openat(fd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (file < 0)
            return false;
        std::uint32_t bits = 0;
        const bool ok = ::ioctl(file, FAT_IOCTL_GET_ATTRIBUTES, &bits) == 0;
        ::close(file);
        if (ok)
            out = bits & kDosBits;
        return ok;
    }

    bool Describe(const LinuxDirent64& entry, FindData& out) const
    {
        struct statx info { };
        out.name = entry.d_name;
        if (::statx(fd, entry.d_name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, kStatxMask, &info) != 0) {
            if (errno == ENOENT)
                return false; // removed while the folder was being listed
            // Listed but not searchable: the name is all there is to know.
            out.attributes = AttributesFromType(entry.d_type);
            out.creationTime = out.lastAccessTime = out.lastWriteTime = -1;
            out.sizeLow = 0;
            out.id = FileId{0, entry.d_ino};
            return true;
        }
        out.attributes = AttributesFromMode(info.stx_mode);
        if (fatFamily && !S_ISLNK(info.stx_mode))
            ReadDosAttributes(entry.d_name, out.attributes);
        if (out.attributes == FILE_ATTRIBUTE_NORMAL)
            out.attributes = 0;
        out.creationTime = StatxTime(info, STATX_BTIME, info.stx_btime);
        out.lastAccessTime = StatxTime(info, STATX_ATIME, info.stx_atime);
        out.lastWriteTime = StatxTime(info, STATX_MTIME, info.stx_mtime);
        out.sizeLow = S_ISDIR(info.stx_mode) ? 0 : static_cast<DWORD>(info.stx_size & 0xFFFFFFFFu);
        out.id = FileId{makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino};
        return true;
    }
};

DirectoryListing::DirectoryListing() : state_(std::make_unique<State>())
{
}

DirectoryListing::~DirectoryListing()
{
    state_->Close();
}

bool DirectoryListing::Open(const std::string& path)
{
    state_->Close();
    return state_->Adopt(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool DirectoryListing::OpenChild(const DirectoryListing& parent, std::string_view name)
{
    state_->Close();
    if (parent.state_->fd < 0) {
        state_->lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    const std::string child(name);
    return state_->Adopt(::openat(parent.state_->fd, child.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

void DirectoryListing::Close()
{
    state_->Close();
}

bool DirectoryListing::IsOpen() const
{
    return state_->fd >= 0;
}

bool DirectoryListing::Next(FindData& out)
{
    while (const LinuxDirent64* entry = state_->NextRaw()) {
        if (!IsDotOrDotDot(entry->d_name) && state_->Describe(*entry, out))
            return true;
    }
    return false;
}

FileId DirectoryListing::Id() const
{
    struct stat info { };
    if (state_->fd < 0 || ::fstat(state_->fd, &info) != 0)
        return {};
    return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

DWORD DirectoryListing::LastError() const
{
    return state_->lastError;
}

} // namespace platform::system
