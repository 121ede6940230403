#pragma once
// CCatFile: the one reader and writer of catalog files (.pld). An object
// lives for one operation: it opens the file and closes it when destroyed.
// Reading shares the file with other readers; creating and updating hold it
// alone; an open that meets the other kind fails at once (platform/system/File.h).
// Every operation answers a boolean and shows nothing.
//
// Layout: an 832-byte header (magic "PD", version 2; version-1 headers are
// converted in memory), the volume's two icons, then one entry list per
// folder (u32 Count, then Count entries of a 20-byte record, a u8 name length
// and the name), linked by absolute offsets. The file is untrusted input: no
// read goes past its end and no allocation follows an unchecked size.

#include "catalog/CatRecord.h"
#include "module/ModuleLock.h"
#include "platform/com/Types.h"
#include "platform/system/File.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pellidor {

// What Create needs of the reading-progress dialog (or of any front end).
class IReadProgress {
public:
    virtual bool IsCancelled() const = 0;
    virtual void SetCancelled() = 0;
    // The folder being read, as the walk forms it ("/media/cd/docs").
    virtual void ShowPath(const std::string& path) = 0;
    // Entries written so far; told once per folder, before ShowPath.
    virtual void ShowEntryCount(std::uint64_t entries) { (void)entries; }

protected:
    ~IReadProgress() = default;
};

class CCatWriter;

constexpr std::size_t kHeaderSize = 832;
constexpr std::size_t kVersion1HeaderSize = 424;

// The version-2 header, byte for byte.
#pragma pack(push, 1)
struct CatHeader {
    WORD Magic = 0; // "PD", 0x4450
    BYTE Version = 0; // 2
    BYTE Reserved1 = 0;
    DWORD Reserved2 = 0;
    DWORD RootListOffset = 0;
    DWORD IconBlockOffset = 0;
    DWORD VolumeSerial = 0;
    std::int32_t CatalogTime = 0;
    std::uint64_t TotalBytes = 0;
    std::uint64_t FreeBytes = 0;
    std::uint64_t CallerFreeBytes = 0;
    char VolumeLabel[256] = {};
    char UserName[256] = {};
    char FileSystemName[9] = {};
    char Content[256] = {};
    BYTE Padding[3] = {};
    DWORD DriveType = 0;
};
#pragma pack(pop)
static_assert(sizeof(CatHeader) == kHeaderSize);

constexpr WORD kCatMagic = 0x4450;
constexpr BYTE kCatVersion = 2;

class CCatFile {
public:
    enum class OpenMode { Read, Update };

    CCatFile() = default;
    CCatFile(const CCatFile&) = delete;
    CCatFile& operator=(const CCatFile&) = delete;

    // Reads the volume at `root` into a new catalog at `catalogPath` (empty:
    // a new name in the catalog directory). The catalog is held alone while
    // it is written. A cancelled or failed reading leaves no file, also when
    // the file was renamed meanwhile.
    bool Create(const std::string& root, const std::string& catalogPath, IReadProgress& progress);
    // `path` empty keeps Path().
    bool Open(const std::string& path, OpenMode mode);
    // `listOffset` kRootList (-1) for the root list. `record` receives the
    // entry with its name NUL-terminated. A list whose Count is 0 or
    // negative (a signed 32-bit number) holds no entries: ReadFirst fails.
    bool ReadFirst(DWORD listOffset, CatRecord* record);
    bool ReadNext(CatRecord* record);
    // Whether the list being read is damaged: its Count is more than the
    // file can hold, or an entry could not be read whole.
    bool ListDamaged() const { return listDamaged_; }
    // The entries the list being read holds, at most as many as the rest of
    // the file has room for.
    std::int32_t ListCount() const { return listCount_; }
    // Each out icon may be null; an icon that cannot be built is handed out
    // as null. The caller destroys the icons.
    bool ReadIcons(HICON* large, HICON* small);
    // Needs an object opened in update mode; closes the file. A write that
    // fails part way puts the old header back, so the file holds either the
    // new header or the old one.
    bool WriteHeader();

    void SetUserName(const std::string& text);
    void SetContent(const std::string& text);

    std::string GetVolumeLabel() const;
    std::string GetUserName() const;
    std::string GetFileSystemName() const;
    std::string GetContent() const;
    DWORD GetVolumeSerial() const { return header_.VolumeSerial; }
    std::int32_t GetCatalogTime() const { return header_.CatalogTime; }
    DWORD GetDriveType() const { return header_.DriveType; }
    std::uint64_t GetTotalBytes() const { return header_.TotalBytes; }
    std::uint64_t GetFreeBytes() const { return header_.FreeBytes; }
    const CatHeader& Header() const { return header_; }

    // A new "%08X.pld" in the catalog directory named by the registry;
    // false when no catalog directory is configured.
    bool MakeNewCatalogPath();
    const std::string& Path() const { return path_; }
    void SetPath(const std::string& path) { path_ = path; }

    // The catalog directory: the default value of HKEY_LOCAL_MACHINE
    // "SOFTWARE\Pellidor\CatDir"; empty when not configured.
    static std::string CatalogDirectory();

private:
    friend class CatalogReadScope;

    // The open file reads go to: our own, or the one a read scope keeps
    // (which may itself read through an outer scope's, when scopes for one
    // catalog nest).
    platform::system::File& Reader() { return kept_ ? kept_->Reader() : file_; }
    bool IsReading() const { return file_.IsOpen() || kept_ != nullptr; }
    // Takes the open file and header of a read scope for path_ on this
    // thread; false when there is none.
    bool BorrowKeptFile();
    bool ReadHeader();
    void ConvertVersion1(const BYTE* raw);
    bool WriteNewCatalog(const std::string& root, IReadProgress& progress);
    bool WriteIcons(const std::string& root, CCatWriter& writer);
    void FillVolumeFields(const std::string& root);
    // Buffered reading from the read position; false when fewer than
    // `size` bytes are left.
    bool ReadBytes(void* data, std::size_t size);
    // Moves the read position; the first read from there fetches
    // `firstChunk` bytes unless a list's count says better.
    bool SeekTo(std::uint64_t position, std::size_t firstChunk);
    bool Refill();
    std::size_t NextChunkBytes() const;

    ModuleLock lock_;
    platform::system::File file_;
    // Set instead of file_ while reading through a read scope's file.
    std::shared_ptr<CCatFile> kept_;
    std::string path_;
    std::int32_t listCount_ = 0;
    std::int32_t listIndex_ = 0;
    CatHeader header_{};
    // The header as the file holds it, put back when a header write stops
    // part way.
    CatHeader storedHeader_{};
    // Set by Open for a converted version-1 header, which WriteHeader will
    // not write back: 832 bytes at 0 would overwrite the old file's data.
    bool fromVersion1_ = false;
    bool listDamaged_ = false;
    std::uint64_t fileSize_ = 0;
    std::uint64_t readPosition_ = 0; // file position of readBuffer_[0]
    std::vector<char> readBuffer_; // only grows; readLength_ bytes are valid
    std::size_t readLength_ = 0;
    std::size_t readIndex_ = 0;
    std::size_t defaultChunk_ = 0;
};

// While it lives, the catalog at `path` stays open for reading on this
// thread: a CCatFile here that reads the same path meanwhile shares the open
// file, its lock and its header instead of opening, locking and reading the
// header again. A walk over every folder of a catalog holds one, so that it
// opens a catalog of 50,000 folders once rather than 50,000 times; it also
// reads one version of the file throughout. It holds a reader's lock, so for
// that long other readers, on any thread or in any process, open the
// catalog as usual, while a writer (updating the header) and the shell's
// move, rename and delete find it held, as they would while any one folder
// is read. A catalog that cannot be opened is not kept; its readers then
// fail on their own as before.
class CatalogReadScope {
public:
    explicit CatalogReadScope(const std::string& path);
    ~CatalogReadScope();
    CatalogReadScope(const CatalogReadScope&) = delete;
    CatalogReadScope& operator=(const CatalogReadScope&) = delete;

    bool IsKeeping() const { return file_ != nullptr; }

private:
    friend class CCatFile;
    // The innermost scope of this thread that keeps `path`, or null.
    static std::shared_ptr<CCatFile> Find(const std::string& path);

    std::shared_ptr<CCatFile> file_;
    CatalogReadScope* outer_;
};

// Where the catalog directory is configured.
constexpr const char* kCatDirKey = "SOFTWARE\\Pellidor\\CatDir";

} // namespace pellidor
