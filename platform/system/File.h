#pragma once
// A file held open under a lock, as share modes would hold it: a writer
// (ReadWrite, CreateAlways) holds it alone, readers (Read) share it with any
// number of other readers. An open that cannot get its lock, because a
// writer holds the file or because a writer asks while readers hold it,
// fails at once with 32 (sharing violation) and never waits, whether the
// holder is in this process or another. The platform's move, rename and
// delete take the writer's lock too (ItemLock.h), so a file held open is
// never moved or deleted under its holder. Closed when destroyed. Failures
// leave the Windows error number in LastError() and in the thread's last
// error.

#include "platform/com/Types.h"

#include <cstdint>
#include <string>

namespace platform::system {

class File {
public:
    enum class Mode {
        Read, // existing file, read access, shared with other readers
        ReadWrite, // existing file, read and write access, held alone
        CreateAlways, // created or truncated, read and write access, held alone
    };

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Reads up to `size` bytes; the count read (less at the end), or -1.
    std::int64_t Read(void* data, std::size_t size);
    // True when exactly `size` bytes were read.
    bool ReadExact(void* data, std::size_t size);
    // Reads up to `size` bytes at `position` without moving the file
    // position; the count read (less at the end), or -1.
    std::int64_t ReadAt(std::uint64_t position, void* data, std::size_t size);
    // True when all bytes were written.
    bool Write(const void* data, std::size_t size);
    bool Seek(std::uint64_t position);
    std::int64_t Position() const;
    std::int64_t Size() const;
    bool Flush();

    // The name the open file has now, renames included; empty when it has
    // none left (deleted) or none can be found.
    std::string CurrentPath() const;
    // Removes the open file under the name it has now, whatever it was
    // renamed to meanwhile, while still holding it, then closes it. True
    // when no name of it is left, also when it had been deleted already.
    bool DeleteOpenFile();

    DWORD LastError() const { return lastError_; }
    // The path it was opened by.
    const std::string& Path() const { return path_; }
    // The descriptor, for callers that batch their own I/O.
    int Descriptor() const { return fd_; }

private:
    bool Fail(int errnoValue);

    int fd_ = -1;
    DWORD lastError_ = 0;
    std::string path_;
};

// The size of the file at `path`, read from its status without opening it
// (so also while a writer holds it); false with the thread's last error set
// when there is no such file or its status cannot be read.
bool GetFileSize(const std::string& path, std::uint64_t* size);

} // namespace platform::system
