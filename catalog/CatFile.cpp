#include "catalog/CatFile.h"

#include "catalog/BitmapImage.h"
#include "catalog/CatWriter.h"
#include "catalog/TreeWalk.h"
#include "platform/registry/Registry.h"
#include "platform/shell/DriveIcon.h"
#include "platform/system/Drives.h"
#include "platform/system/Errors.h"
#include "platform/system/Tick.h"
#include "platform/ui/Icon.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace pellidor {

namespace {

constexpr std::size_t kReadBufferBytes = 16 * 1024;
// A list is read in chunks sized from the entries still to come, at a size
// that holds a typical entry (a record, the length byte and a name of about
// 40 bytes), so that most lists take one read and none reads far past its
// end into the lists that follow.
constexpr std::size_t kTypicalEntryBytes = 64;
constexpr std::size_t kListHeadChunk = 2 * 1024;
constexpr std::size_t kMinListChunk = 512;
constexpr std::size_t kMaxListChunk = 64 * 1024;
constexpr std::size_t kRecordBytes = 20;
// The smallest entry: a record, a length byte and an empty name.
constexpr std::size_t kMinEntryBytes = kRecordBytes + 1;
constexpr std::size_t kMaxCatalogDirectory = 260;

// Version-1 header: the texts' places and sizes.
constexpr std::size_t kV1Label = 48, kV1LabelSize = 12;
constexpr std::size_t kV1UserName = 60, kV1UserNameSize = 12;
constexpr std::size_t kV1FileSystem = 72, kV1FileSystemSize = 9;
constexpr std::size_t kV1Content = 81, kV1ContentSize = 343;
constexpr std::size_t kFixedPart = 48;

template <std::size_t N>
std::string FieldText(const char (&field)[N])
{
    return std::string(field, strnlen(field, N));
}

// Copies at most N - 1 bytes and ends the field with NULs.
template <std::size_t N>
void SetField(char (&field)[N], const char* text, std::size_t length)
{
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(length, N - 1));
}

template <std::size_t N>
void SetField(char (&field)[N], const std::string& text)
{
    SetField(field, text.data(), text.size());
}

std::string CatalogFileName(const std::string& directory, DWORD tick)
{
    char name[16];
    std::snprintf(name, sizeof name, "%08X.pld", tick);
    return directory.empty() || directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// The two image records of one icon.
struct IconRecords {
    std::vector<BYTE> colour;
    std::vector<BYTE> mask;
};

bool WriteRecord(CCatWriter& writer, const std::vector<BYTE>& record)
{
    return writer.WriteDword(static_cast<DWORD>(record.size()))
        && (record.empty() || writer.Write(record.data(), record.size()));
}

HICON BuildIcon(const std::vector<BYTE>& colourRecord, const std::vector<BYTE>& maskRecord)
{
    const QImage colour = DecodeBitmapImage(colourRecord.data(), colourRecord.size());
    const QImage mask = ToMask(DecodeBitmapImage(maskRecord.data(), maskRecord.size()));
    const auto icon = platform::ui::IconImage::FromBitmaps(colour, mask);
    return icon ? platform::ui::CreateIcon(*icon) : nullptr;
}

} // namespace

std::string CCatFile::CatalogDirectory()
{
    platform::registry::Key key;
    if (key.Open(platform::registry::Hive::LocalMachine, kCatDirKey) != 0)
        return {};
    std::string directory;
    if (key.QueryString("", directory, kMaxCatalogDirectory) != 0)
        return {};
    return directory;
}

bool CCatFile::MakeNewCatalogPath()
{
    const std::string directory = CatalogDirectory();
    if (directory.empty())
        return false;
    DWORD tick = platform::system::GetTickCount();
    std::string candidate = CatalogFileName(directory, tick);
    while (Exists(candidate))
        candidate = CatalogFileName(directory, ++tick);
    path_ = candidate;
    return true;
}

// ---- Writing ----------------------------------------------------------------

bool CCatFile::Create(const std::string& root, const std::string& catalogPath, IReadProgress& progress)
{
    if (!catalogPath.empty())
        path_ = catalogPath;
    if (path_.empty() && !MakeNewCatalogPath())
        return false;
    const std::string volume = platform::system::NormalizeRoot(root);
    header_ = CatHeader{};
    header_.Magic = kCatMagic;
    header_.Version = kCatVersion;
    header_.IconBlockOffset = kHeaderSize;
    header_.CatalogTime = static_cast<std::int32_t>(std::time(nullptr));
    fromVersion1_ = false;
    platform::system::VolumeInformation info;
    if (platform::system::GetVolumeInformation(volume, info)) {
        SetField(header_.VolumeLabel, info.label);
        SetField(header_.FileSystemName, info.fileSystem);
        header_.VolumeSerial = info.serial;
    } else if (platform::system::GetLastError() == platform::system::ERROR_NOT_READY) {
        return false;
    }
    std::memcpy(header_.UserName, header_.VolumeLabel, sizeof header_.UserName);
    header_.DriveType = platform::system::GetDriveType(volume);
    platform::system::DiskSpace space;
    if (platform::system::GetDiskFreeSpace(volume, space)) {
        header_.TotalBytes = space.total;
        header_.FreeBytes = space.free;
        header_.CallerFreeBytes = space.callerFree;
    }
    if (!file_.Open(path_, platform::system::File::Mode::CreateAlways))
        return false;
    const bool written = WriteNewCatalog(volume, progress);
    // Whatever stopped the reading, a half-written catalog is not kept. It
    // is removed while still held, under the name it has now: the shell
    // cannot move it while it is held, but a program that ignores the lock
    // can, and what it moved must not stay behind looking whole.
    if (!written || progress.IsCancelled()) {
        file_.DeleteOpenFile();
        return false;
    }
    file_.Close();
    return true;
}

bool CCatFile::WriteNewCatalog(const std::string& root, IReadProgress& progress)
{
    CCatWriter writer(file_.Descriptor());
    if (!writer.Write(&header_, sizeof header_) || !WriteIcons(root, writer))
        return false;
    CTreeWalk walk(writer, progress);
    walk.Walk(root, offsetof(CatHeader, RootListOffset));
    if (!writer.Flush()) {
        progress.SetCancelled();
        return false;
    }
    return true;
}

bool CCatFile::WriteIcons(const std::string& root, CCatWriter& writer)
{
    IconRecords records;
    for (const int size : {32, 16}) {
        // A missing icon keeps the records of the one before.
        platform::ui::IconImage icon;
        if (platform::shell::GetDriveIcon(root, size, icon) && !icon.IsNull()) {
            records.colour = EncodeColourImage(icon.colour);
            records.mask = EncodeMaskImage(icon.mask);
        }
        if (!WriteRecord(writer, records.colour) || !WriteRecord(writer, records.mask))
            return false;
    }
    return true;
}

// ---- Reading ----------------------------------------------------------------

namespace {

// The innermost read scope of this thread.
thread_local CatalogReadScope* innermostScope = nullptr;

} // namespace

CatalogReadScope::CatalogReadScope(const std::string& path) : outer_(innermostScope)
{
    auto file = std::make_shared<CCatFile>();
    if (file->Open(path, CCatFile::OpenMode::Read))
        file_ = std::move(file);
    innermostScope = this;
}

CatalogReadScope::~CatalogReadScope()
{
    innermostScope = outer_;
}

std::shared_ptr<CCatFile> CatalogReadScope::Find(const std::string& path)
{
    for (const CatalogReadScope* scope = innermostScope; scope != nullptr; scope = scope->outer_) {
        if (scope->file_ && scope->file_->Path() == path)
            return scope->file_;
    }
    return nullptr;
}

bool CCatFile::BorrowKeptFile()
{
    std::shared_ptr<CCatFile> kept = CatalogReadScope::Find(path_);
    if (!kept)
        return false;
    file_.Close();
    header_ = kept->header_;
    fromVersion1_ = kept->fromVersion1_;
    fileSize_ = kept->fileSize_;
    kept_ = std::move(kept);
    return true;
}

bool CCatFile::Open(const std::string& path, OpenMode mode)
{
    if (!path.empty())
        path_ = path;
    kept_.reset();
    readLength_ = readIndex_ = 0;
    readPosition_ = 0;
    listCount_ = listIndex_ = 0;
    listDamaged_ = false;
    if (mode == OpenMode::Read && BorrowKeptFile())
        return true;
    const auto fileMode
        = mode == OpenMode::Update ? platform::system::File::Mode::ReadWrite : platform::system::File::Mode::Read;
    if (!file_.Open(path_, fileMode))
        return false;
    const std::int64_t size = file_.Size();
    fileSize_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    if (!ReadHeader()) {
        file_.Close();
        return false;
    }
    return true;
}

bool CCatFile::ReadHeader()
{
    BYTE raw[kHeaderSize] = {};
    // A version-1 catalog may be shorter than a version-2 header. Only the
    // header's own bytes are read: a list that follows is read on its own.
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize_, kHeaderSize));
    if (available < kVersion1HeaderSize || Reader().ReadAt(0, raw, available) != static_cast<std::int64_t>(available))
        return false;
    std::memcpy(static_cast<void*>(&header_), raw, kHeaderSize);
    storedHeader_ = header_;
    fromVersion1_ = false;
    if (header_.Magic != kCatMagic)
        return false;
    if (header_.Version == kCatVersion)
        return available == kHeaderSize;
    if (header_.Version != 1)
        return false;
    ConvertVersion1(raw);
    return true;
}

void CCatFile::ConvertVersion1(const BYTE* raw)
{
    const auto text = [raw](std::size_t at, std::size_t size) {
        const char* start = reinterpret_cast<const char*>(raw + at);
        return std::string(start, strnlen(start, size));
    };
    const std::string label = text(kV1Label, kV1LabelSize);
    const std::string userName = text(kV1UserName, kV1UserNameSize);
    const std::string fileSystem = text(kV1FileSystem, kV1FileSystemSize);
    const std::string content = text(kV1Content, kV1ContentSize);
    CatHeader converted{};
    std::memcpy(static_cast<void*>(&converted), raw, kFixedPart);
    converted.Version = kCatVersion;
    converted.Reserved1 = 0;
    SetField(converted.VolumeLabel, label);
    SetField(converted.UserName, userName);
    SetField(converted.FileSystemName, fileSystem);
    SetField(converted.Content, content);
    converted.DriveType = 0;
    header_ = converted;
    fromVersion1_ = true;
}

bool CCatFile::SeekTo(std::uint64_t position, std::size_t firstChunk)
{
    if (position > fileSize_)
        return false;
    readLength_ = readIndex_ = 0;
    readPosition_ = position;
    defaultChunk_ = firstChunk;
    return true;
}

std::size_t CCatFile::NextChunkBytes() const
{
    if (listIndex_ >= listCount_)
        return defaultChunk_;
    const auto remaining = static_cast<std::size_t>(listCount_ - listIndex_);
    return std::clamp(remaining * kTypicalEntryBytes, kMinListChunk, kMaxListChunk);
}

bool CCatFile::Refill()
{
    readPosition_ += readLength_;
    readLength_ = readIndex_ = 0;
    const std::uint64_t left = fileSize_ > readPosition_ ? fileSize_ - readPosition_ : 0;
    if (left == 0)
        return false;
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(left, NextChunkBytes()));
    if (readBuffer_.size() < chunk)
        readBuffer_.resize(chunk);
    const std::int64_t count = Reader().ReadAt(readPosition_, readBuffer_.data(), chunk);
    if (count <= 0)
        return false;
    readLength_ = static_cast<std::size_t>(count);
    return true;
}

bool CCatFile::ReadBytes(void* data, std::size_t size)
{
    auto* out = static_cast<char*>(data);
    while (size > 0) {
        if (readIndex_ == readLength_ && !Refill())
            return false;
        const std::size_t part = std::min(size, readLength_ - readIndex_);
        std::memcpy(out, readBuffer_.data() + readIndex_, part);
        readIndex_ += part;
        out += part;
        size -= part;
    }
    return true;
}

bool CCatFile::ReadFirst(DWORD listOffset, CatRecord* record)
{
    if (record == nullptr || !Open({}, OpenMode::Read))
        return false;
    if (listOffset == kNoList)
        return false;
    DWORD offset = listOffset == kRootList ? header_.RootListOffset : listOffset;
    // The count and the first entries come with one read; a longer list
    // is then read in chunks sized from its count.
    if (offset == 0 || static_cast<std::uint64_t>(offset) + 4 > fileSize_ || !SeekTo(offset, kListHeadChunk))
        return false;
    // The count is a signed 32-bit number: a negative one holds no entries,
    // and the bytes after it belong to other lists.
    std::int32_t count = 0;
    if (!ReadBytes(&count, sizeof count) || count <= 0)
        return false;
    // No more entries than the rest of the file could hold.
    const std::uint64_t room = (fileSize_ - offset - 4) / kMinEntryBytes;
    listDamaged_ = static_cast<std::uint64_t>(count) > room;
    listCount_ = static_cast<std::int32_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(count), room));
    listIndex_ = 0;
    return ReadNext(record);
}

bool CCatFile::ReadNext(CatRecord* record)
{
    if (record == nullptr || listIndex_ >= listCount_ || !IsReading())
        return false;
    BYTE length = 0;
    if (!ReadBytes(record, kRecordBytes) || !ReadBytes(&length, 1) || !ReadBytes(record->Name, length)) {
        // A list cut short ends here, with the entries already read.
        record->Name[0] = '\0';
        listCount_ = listIndex_;
        listDamaged_ = true;
        return false;
    }
    record->Name[length] = '\0';
    ++listIndex_;
    return true;
}

bool CCatFile::ReadIcons(HICON* large, HICON* small)
{
    if (large != nullptr)
        *large = nullptr;
    if (small != nullptr)
        *small = nullptr;
    if (!IsReading() && !Open({}, OpenMode::Read))
        return false;
    if (header_.IconBlockOffset == 0 || !SeekTo(header_.IconBlockOffset, kReadBufferBytes))
        return false;
    std::vector<BYTE> records[4];
    for (auto& record : records) {
        DWORD size = 0;
        if (!ReadBytes(&size, sizeof size))
            break;
        const std::uint64_t left = fileSize_ - (readPosition_ + readIndex_);
        if (size == 0)
            continue;
        // A record that runs past the file's end stays empty, and so do the
        // ones after it, whose place is then unknown.
        if (size > left)
            break;
        record.resize(size);
        if (!ReadBytes(record.data(), size)) {
            record.clear();
            break;
        }
    }
    if (large != nullptr)
        *large = BuildIcon(records[0], records[1]);
    if (small != nullptr)
        *small = BuildIcon(records[2], records[3]);
    return true;
}

bool CCatFile::WriteHeader()
{
    if (!file_.IsOpen() || fromVersion1_) {
        file_.Close();
        return false;
    }
    const bool written = file_.Seek(0) && file_.Write(&header_, sizeof header_) && file_.Flush();
    if (!written) {
        // A write that stopped part way (a full disk, a size limit) would
        // leave a header of two halves: put the old bytes back, as far as
        // they went, and keep the first failure's error.
        const DWORD error = platform::system::GetLastError();
        if (file_.Seek(0) && file_.Write(&storedHeader_, sizeof storedHeader_))
            file_.Flush();
        platform::system::SetLastError(error);
    }
    file_.Close();
    return written;
}

// ---- Texts ------------------------------------------------------------------

void CCatFile::SetUserName(const std::string& text)
{
    SetField(header_.UserName, text);
}

void CCatFile::SetContent(const std::string& text)
{
    SetField(header_.Content, text);
}

std::string CCatFile::GetVolumeLabel() const
{
    return FieldText(header_.VolumeLabel);
}

std::string CCatFile::GetUserName() const
{
    return FieldText(header_.UserName);
}

std::string CCatFile::GetFileSystemName() const
{
    return FieldText(header_.FileSystemName);
}

std::string CCatFile::GetContent() const
{
    return FieldText(header_.Content);
}

} // namespace pellidor
