#include "namespace/IdList.h"

#include <cstring>
#include <utility>

namespace pellidor {

// The volume block copies the header's bytes 16 to 831 in place.
constexpr std::size_t kHeaderToElement = 272;
static_assert(offsetof(CatHeader, VolumeSerial) + kHeaderToElement == kOffsetVolumeSerial);
static_assert(offsetof(CatHeader, CatalogTime) + kHeaderToElement == kOffsetCatalogTime);
static_assert(offsetof(CatHeader, TotalBytes) + kHeaderToElement == kOffsetTotalBytes);
static_assert(offsetof(CatHeader, FreeBytes) + kHeaderToElement == kOffsetFreeBytes);
static_assert(offsetof(CatHeader, VolumeLabel) + kHeaderToElement == kOffsetVolumeLabel);
static_assert(offsetof(CatHeader, UserName) + kHeaderToElement == kOffsetUserName);
static_assert(offsetof(CatHeader, FileSystemName) + kHeaderToElement == kOffsetFileSystemName);
static_assert(offsetof(CatHeader, Content) + kHeaderToElement == kOffsetContent);
static_assert(offsetof(CatHeader, DriveType) + kHeaderToElement == kOffsetDriveType);
static_assert(kOffsetRecord + sizeof(CatRecord) == kElementSize);

namespace {

const BYTE* Bytes(LPCITEMIDLIST list)
{
    return reinterpret_cast<const BYTE*>(list);
}

BYTE* Bytes(LPITEMIDLIST list)
{
    return reinterpret_cast<BYTE*>(list);
}

template <class T>
T ReadField(const BYTE* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <class T>
void WriteField(BYTE* at, T value)
{
    std::memcpy(at, &value, sizeof value);
}

USHORT Cb(const BYTE* element)
{
    return ReadField<USHORT>(element + kOffsetCb);
}

IdListPtr Allocate(std::size_t size)
{
    return IdListPtr(static_cast<LPITEMIDLIST>(platform::com::TaskMemAlloc(size)));
}

// The bytes of `list` without its terminator.
std::size_t ElementBytes(LPCITEMIDLIST list)
{
    return list ? IdListSize(list) - kTerminatorSize : 0;
}

BYTE FoldCase(BYTE c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<BYTE>(c - 'A' + 'a') : c;
}

// Byte comparison of two NUL-terminated texts of at most `limit` bytes with
// A-Z folded; the limit keeps a text without NUL inside its buffer.
int CompareFolded(const BYTE* a, const BYTE* b, std::size_t limit)
{
    for (std::size_t i = 0; i < limit; ++i) {
        const int ca = FoldCase(a[i]);
        const int cb = FoldCase(b[i]);
        if (ca != cb)
            return ca - cb;
        if (ca == 0)
            return 0;
    }
    return 0;
}

std::string BoundedText(const BYTE* at, std::size_t limit)
{
    const auto* text = reinterpret_cast<const char*>(at);
    return std::string(text, ::strnlen(text, limit));
}

void CopyText(char* to, const BYTE* from, std::size_t size)
{
    std::memcpy(to, from, size);
    to[size - 1] = '\0';
}

} // namespace

LPCITEMIDLIST NextElement(LPCITEMIDLIST element)
{
    if (!element)
        return nullptr;
    const USHORT cb = Cb(Bytes(element));
    if (cb == 0)
        return nullptr;
    return reinterpret_cast<LPCITEMIDLIST>(Bytes(element) + cb);
}

LPITEMIDLIST NextElement(LPITEMIDLIST element)
{
    return const_cast<LPITEMIDLIST>(NextElement(static_cast<LPCITEMIDLIST>(element)));
}

LPCITEMIDLIST LastElement(LPCITEMIDLIST list)
{
    LPCITEMIDLIST last = nullptr;
    for (LPCITEMIDLIST at = list; at && Cb(Bytes(at)) != 0; at = NextElement(at))
        last = at;
    return last;
}

LPITEMIDLIST LastElement(LPITEMIDLIST list)
{
    return const_cast<LPITEMIDLIST>(LastElement(static_cast<LPCITEMIDLIST>(list)));
}

std::size_t IdListSize(LPCITEMIDLIST list)
{
    if (!list)
        return 0;
    std::size_t size = kTerminatorSize;
    for (LPCITEMIDLIST at = list; Cb(Bytes(at)) != 0; at = NextElement(at))
        size += Cb(Bytes(at));
    return size;
}

IdListPtr CopyIdList(LPCITEMIDLIST list)
{
    if (!list)
        return nullptr;
    const std::size_t size = IdListSize(list);
    IdListPtr copy = Allocate(size);
    if (copy)
        std::memcpy(copy.get(), list, size);
    return copy;
}

SharedIdList ShareIdList(IdListPtr list)
{
    if (!list)
        return nullptr;
    return SharedIdList(std::move(list));
}

IdListPtr JoinIdLists(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    if (!first)
        return CopyIdList(second);
    if (!second)
        return CopyIdList(first);
    const std::size_t firstBytes = ElementBytes(first);
    const std::size_t secondSize = IdListSize(second);
    IdListPtr joined = Allocate(firstBytes + secondSize);
    if (joined) {
        std::memcpy(Bytes(joined.get()), first, firstBytes);
        std::memcpy(Bytes(joined.get()) + firstBytes, second, secondSize);
    }
    return joined;
}

std::size_t ElementSizeOf(DWORD kind)
{
    return kind == kKindCatalog ? kCatalogElementSize : kElementSize;
}

void WriteElement(BYTE* at, const CatRecord* record, DWORD kind)
{
    const std::size_t elementSize = ElementSizeOf(kind);
    // Padding and an unfilled volume block are zero, never stale heap bytes.
    std::memset(at, 0, kOffsetRecord);
    WriteField<USHORT>(at + kOffsetCb, static_cast<USHORT>(elementSize));
    WriteField<DWORD>(at + kOffsetKind, kind);
    if (record)
        std::memcpy(at + kOffsetRecord, record, sizeof(CatRecord));
    else
        std::memset(at + kOffsetRecord, 0, sizeof(CatRecord));
    std::memset(at + kElementSize, 0, elementSize - kElementSize + kTerminatorSize);
}

IdListPtr MakeElement(LPCITEMIDLIST parent, const CatRecord* record, DWORD kind)
{
    const std::size_t parentBytes = ElementBytes(parent);
    IdListPtr list = Allocate(parentBytes + ElementSizeOf(kind) + kTerminatorSize);
    if (!list)
        return nullptr;
    BYTE* out = Bytes(list.get());
    if (parentBytes)
        std::memcpy(out, parent, parentBytes);
    WriteElement(out + parentBytes, record, kind);
    return list;
}

IdChain::~IdChain()
{
    SharedIdChain above = std::move(up);
    // A level held by nobody else goes now, after handing over its own up.
    while (above && above.use_count() == 1) {
        SharedIdChain next = std::move(const_cast<IdChain&>(*above).up);
        above = std::move(next);
    }
}

SharedIdChain StartIdChain(SharedIdList list)
{
    if (!list)
        return nullptr;
    auto chain = std::make_shared<IdChain>();
    chain->start = std::move(list);
    return chain;
}

SharedIdChain ExtendIdChain(SharedIdChain up, const CatRecord& record, DWORD kind)
{
    if (!up || ElementSizeOf(kind) != kElementSize)
        return StartIdChain(ShareIdList(MakeElementAfterChain(up.get(), &record, kind)));
    auto chain = std::make_shared<IdChain>();
    chain->up = std::move(up);
    chain->record = record;
    chain->kind = kind;
    return chain;
}

IdListPtr MakeElementAfterChain(const IdChain* chain, const CatRecord* record, DWORD kind)
{
    std::size_t chainBytes = 0;
    VisitIdChain(chain, [&chainBytes](LPCITEMIDLIST element) {
        chainBytes += ElementSize(element);
        return true;
    });
    IdListPtr list = Allocate(chainBytes + ElementSizeOf(kind) + kTerminatorSize);
    if (!list)
        return nullptr;
    BYTE* out = Bytes(list.get());
    VisitIdChain(chain, [&out](LPCITEMIDLIST element) {
        std::memcpy(out, element, ElementSize(element));
        out += ElementSize(element);
        return true;
    });
    WriteElement(out, record, kind);
    return list;
}

LPCITEMIDLIST FindCatalogElement(LPCITEMIDLIST list)
{
    LPCITEMIDLIST at = list;
    while (at && Cb(Bytes(at)) != 0 && ElementKind(at) == kKindShelfFolder)
        at = NextElement(at);
    if (!at || Cb(Bytes(at)) == 0 || ElementKind(at) != kKindCatalog)
        return nullptr;
    return at;
}

IdListPtr CopyLastElementAs(LPCITEMIDLIST list, DWORD kind)
{
    IdListPtr last = CopyElement(LastElement(list));
    if (last != nullptr)
        WriteField<DWORD>(reinterpret_cast<BYTE*>(last.get()) + kOffsetKind, kind);
    return last;
}

IdListPtr CopyCatalogElement(LPCITEMIDLIST list)
{
    return CopyElement(FindCatalogElement(list));
}

IdListPtr CopyElement(LPCITEMIDLIST element)
{
    if (!element || Cb(Bytes(element)) == 0)
        return nullptr;
    const std::size_t cb = Cb(Bytes(element));
    IdListPtr copy = Allocate(cb + kTerminatorSize);
    if (copy) {
        std::memcpy(copy.get(), element, cb);
        WriteField<USHORT>(Bytes(copy.get()) + cb, 0);
    }
    return copy;
}

int CompareIdLists(LPCITEMIDLIST list1, LPCITEMIDLIST list2)
{
    LPCITEMIDLIST a = list1;
    LPCITEMIDLIST b = list2;
    while (Cb(Bytes(a)) != 0 && Cb(Bytes(b)) != 0) {
        const DWORD kindA = ElementKind(a);
        const DWORD kindB = ElementKind(b);
        if (kindA != kindB)
            return static_cast<int>(kindB) - static_cast<int>(kindA);
        if (kindA == kKindCatalog) {
            const int byUser = CompareFolded(Bytes(a) + kOffsetUserName, Bytes(b) + kOffsetUserName, kUserNameBytes);
            if (byUser != 0)
                return byUser;
        }
        const std::size_t nameOffset = kOffsetRecord + offsetof(CatRecord, Name);
        const int byName = CompareFolded(Bytes(a) + nameOffset, Bytes(b) + nameOffset, kNameBytes);
        if (byName != 0)
            return byName;
        a = NextElement(a);
        b = NextElement(b);
    }
    return static_cast<int>(Cb(Bytes(a))) - static_cast<int>(Cb(Bytes(b)));
}

namespace {

// Whether `cb` bytes at `element` make a whole element of the content asked
// for; `cb` already lies inside the block.
bool IsWholeElement(const BYTE* element, USHORT cb, IdListContent content)
{
    if (content == IdListContent::Foreign)
        return cb >= kTerminatorSize;
    if (cb < kElementHeaderSize)
        return false;
    const DWORD kind = ReadField<DWORD>(element + kOffsetKind);
    return kind <= kKindShelfFolder && cb >= ElementSizeOf(kind);
}

} // namespace

std::optional<CheckedIdList> CheckIdList(const BYTE* block, std::size_t bound, IdListContent content)
{
    if (!block)
        return std::nullopt;
    std::size_t at = 0;
    for (std::size_t elements = 0;; ++elements) {
        if (bound - at < kTerminatorSize)
            return std::nullopt;
        const USHORT cb = Cb(block + at);
        if (cb == 0)
            return CheckedIdList(reinterpret_cast<LPCITEMIDLIST>(block), at + kTerminatorSize);
        if (elements == kMaxIdListElements || cb > bound - at || !IsWholeElement(block + at, cb, content))
            return std::nullopt;
        at += cb;
    }
}

std::optional<CheckedIdList> CheckIdList(LPCITEMIDLIST list, IdListContent content)
{
    return CheckIdList(Bytes(list), kMaxIdListBytes, content);
}

bool IsOwnElement(LPCITEMIDLIST element, DWORD kind)
{
    if (!element || kind > kKindShelfFolder)
        return false;
    return Cb(Bytes(element)) == ElementSizeOf(kind) && ElementKind(element) == kind;
}

bool IsOwnIdList(const BYTE* block, std::size_t blockSize, DWORD kind)
{
    const auto list = CheckIdList(block, blockSize, IdListContent::Own);
    return list && IsOwnElement(LastElement(list->Get()), kind);
}

std::size_t ElementSize(LPCITEMIDLIST element)
{
    return element ? Cb(Bytes(element)) : 0;
}

DWORD ElementKind(LPCITEMIDLIST element)
{
    return ReadField<DWORD>(Bytes(element) + kOffsetKind);
}

CatRecord ElementRecord(LPCITEMIDLIST element)
{
    CatRecord record;
    std::memcpy(&record, Bytes(element) + kOffsetRecord, sizeof record);
    record.Name[kNameBytes - 1] = '\0';
    return record;
}

void SetElementRecord(LPITEMIDLIST element, const CatRecord& record)
{
    std::memcpy(Bytes(element) + kOffsetRecord, &record, sizeof record);
}

std::string ElementName(LPCITEMIDLIST element)
{
    return BoundedText(Bytes(element) + kOffsetRecord + offsetof(CatRecord, Name), kNameBytes);
}

CatHeader ReadVolumeBlock(LPCITEMIDLIST element)
{
    CatHeader header;
    if (!element || Cb(Bytes(element)) != kCatalogElementSize || ElementKind(element) != kKindCatalog)
        return header;
    const BYTE* e = Bytes(element);
    header.VolumeSerial = ReadField<DWORD>(e + kOffsetVolumeSerial);
    header.CatalogTime = ReadField<std::int32_t>(e + kOffsetCatalogTime);
    header.TotalBytes = ReadField<std::uint64_t>(e + kOffsetTotalBytes);
    header.FreeBytes = ReadField<std::uint64_t>(e + kOffsetFreeBytes);
    CopyText(header.VolumeLabel, e + kOffsetVolumeLabel, kVolumeLabelBytes);
    CopyText(header.UserName, e + kOffsetUserName, kUserNameBytes);
    CopyText(header.FileSystemName, e + kOffsetFileSystemName, kFileSystemNameBytes);
    CopyText(header.Content, e + kOffsetContent, kContentBytes);
    header.DriveType = ReadField<DWORD>(e + kOffsetDriveType);
    return header;
}

void WriteVolumeBlock(LPITEMIDLIST element, const CatHeader& header)
{
    if (!element || Cb(Bytes(element)) != kCatalogElementSize || ElementKind(element) != kKindCatalog)
        return;
    BYTE* e = Bytes(element);
    WriteField(e + kOffsetVolumeSerial, header.VolumeSerial);
    WriteField(e + kOffsetCatalogTime, header.CatalogTime);
    WriteField(e + kOffsetTotalBytes, header.TotalBytes);
    WriteField(e + kOffsetFreeBytes, header.FreeBytes);
    std::memcpy(e + kOffsetVolumeLabel, header.VolumeLabel, kVolumeLabelBytes);
    std::memcpy(e + kOffsetUserName, header.UserName, kUserNameBytes);
    std::memcpy(e + kOffsetFileSystemName, header.FileSystemName, kFileSystemNameBytes);
    std::memcpy(e + kOffsetContent, header.Content, kContentBytes);
    WriteField(e + kOffsetDriveType, header.DriveType);
}

} // namespace pellidor
