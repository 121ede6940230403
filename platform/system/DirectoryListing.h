#pragma once
// Listing one directory the way the volume reader needs it: one enumeration
// (getdents64) per folder and one statx per entry, relative to the open
// directory, so a walk never resolves a full path per entry.
//
// Per entry: attribute bits (0x10 folder, 0x01 when the owner may not write,
// 0x400 for a symbolic link, which is never followed; on FAT-family file
// systems the stored DOS bits), creation time where the file system keeps a
// birth time, access and write times, and the low 32 bits of the size. A time
// of zero, one the file system does not keep, or one outside the signed
// 32-bit range is kNoTime (-1), never a wrapped value. The names "." and ".."
// are not given.

#include "platform/com/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform::system {

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

// Which file (for telling a folder already on a walk's path).
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

struct FindData {
    DWORD attributes = 0;
    std::int32_t creationTime = -1;
    std::int32_t lastAccessTime = -1;
    std::int32_t lastWriteTime = -1;
    DWORD sizeLow = 0;
    FileId id;
    // Valid until the next call of Next() or the listing's end.
    std::string_view name;

    bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// Seconds since 1970 as a signed 32-bit time; -1 for zero or out of range.
std::int32_t ToTime32(std::int64_t seconds);

class DirectoryListing {
public:
    DirectoryListing();
    ~DirectoryListing();
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    // Opens the directory at `path`; false with LastError() set (3 not
    // found, 5 access denied, 267 not a directory).
    bool Open(const std::string& path);
    // Opens the directory `name` inside `parent` without resolving a path and
    // without following a symbolic link. `parent` must still be open.
    bool OpenChild(const DirectoryListing& parent, std::string_view name);
    void Close();
    bool IsOpen() const;

    // The next entry; false at the end or on a read error (LastError() tells
    // which: 0 at the end). An entry that cannot be looked at (it vanished)
    // is skipped.
    bool Next(FindData& out);

    // The open directory's own identity.
    FileId Id() const;
    DWORD LastError() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace platform::system
