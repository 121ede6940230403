#include "catalog/CatWriter.h"

#include "platform/system/Errors.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pellidor {

namespace {

constexpr DWORD kFileTooLarge = 223; // ERROR_FILE_TOO_LARGE

} // namespace

void CCatWriter::StoreDword(char* at, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

CCatWriter::CCatWriter(int descriptor, std::uint64_t position, std::size_t capacity)
    : fd_(descriptor)
    , flushed_(position)
    , capacity_(capacity < 64 ? 64 : capacity)
{
    buffer_.reserve(capacity_);
}

bool CCatWriter::Fail(DWORD error)
{
    if (error_ == 0)
        error_ = error;
    platform::system::SetLastError(error_);
    return false;
}

bool CCatWriter::Write(const void* data, std::size_t size)
{
    if (Failed())
        return false;
    if (Position() + size > kLimit)
        return Fail(kFileTooLarge);
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        if (buffer_.size() == capacity_ && !Flush())
            return false;
        const std::size_t part = std::min(size, capacity_ - buffer_.size());
        buffer_.insert(buffer_.end(), bytes, bytes + part);
        bytes += part;
        size -= part;
    }
    return true;
}

bool CCatWriter::WriteDword(DWORD value)
{
    char bytes[4];
    StoreDword(bytes, value);
    return Write(bytes, sizeof bytes);
}

bool CCatWriter::Patch(std::uint64_t position, DWORD value)
{
    if (Failed())
        return false;
    if (position + 4 > Position())
        return Fail(platform::system::ERROR_INVALID_PARAMETER);
    char bytes[4];
    StoreDword(bytes, value);
    // The part that is still buffered is patched there, the rest on disk.
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t at = position + static_cast<std::uint64_t>(i);
        if (at >= flushed_) {
            buffer_[static_cast<std::size_t>(at - flushed_)] = bytes[i];
            continue;
        }
        const std::size_t onDisk = static_cast<std::size_t>(std::min<std::uint64_t>(4 - i, flushed_ - at));
        ssize_t written;
        do {
            written = ::pwrite(fd_, bytes + i, onDisk, static_cast<off_t>(at));
        } while (written < 0 && errno == EINTR);
        if (written != static_cast<ssize_t>(onDisk))
            return Fail(written < 0 ? platform::system::ErrorFromErrno(errno) : platform::system::ERROR_WRITE_FAULT);
        i += static_cast<int>(onDisk) - 1;
    }
    return true;
}

bool CCatWriter::Flush()
{
    if (Failed())
        return false;
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written
            = ::pwrite(fd_, buffer_.data() + done, buffer_.size() - done, static_cast<off_t>(flushed_ + done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Fail(written < 0 ? platform::system::ErrorFromErrno(errno) : platform::system::ERROR_DISK_FULL);
        done += static_cast<std::size_t>(written);
    }
    flushed_ += buffer_.size();
    buffer_.clear();
    return true;
}

} // namespace pellidor
