#pragma once
// The item record: one catalog entry as held in memory, in every identifier
// element and in every item object. Exactly 280 bytes, laid out as stored
// (little-endian integers, the name NUL-terminated).

#include "platform/com/Types.h"

#include <cstdint>

namespace pellidor {

constexpr DWORD kAttrReadOnly = 0x01;
constexpr DWORD kAttrHidden = 0x02;
constexpr DWORD kAttrSystem = 0x04;
constexpr DWORD kAttrDirectory = 0x10;
constexpr DWORD kAttrArchive = 0x20;
constexpr DWORD kAttrNormal = 0x80;

// A folder's Size when no list was completed for it.
constexpr DWORD kNoList = 0xFFFFFFFE;
// A catalog element's Size: the root list.
constexpr DWORD kRootList = 0xFFFFFFFF;
// A time the file system does not keep.
constexpr std::int32_t kNoTime = -1;

constexpr std::size_t kNameBytes = 260;

#pragma pack(push, 1)
struct CatRecord {
    DWORD Attributes = 0;
    std::int32_t CreationTime = 0;
    std::int32_t LastAccessTime = 0;
    std::int32_t LastWriteTime = 0;
    DWORD Size = 0; // a folder's ChildListOffset
    char Name[kNameBytes] = {};

    bool IsFolder() const { return (Attributes & kAttrDirectory) != 0; }
};
#pragma pack(pop)
static_assert(sizeof(CatRecord) == 280);

} // namespace pellidor
