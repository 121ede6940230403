#include "items/DataTransfer.h"

#include "namespace/IdList.h"
#include "platform/ui/Messages.h"

#include <cstring>

namespace pellidor {

namespace {

constexpr std::size_t kCidaHeaderSize = 12;
constexpr DWORD kDropFilesHeaderSize = 20;
// No real transfer names more items than this; a larger count is a lie
// that must not drive an allocation.
constexpr DWORD kMaxBlockItems = 65536;

DWORD ReadDword(const BYTE* at)
{
    DWORD value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void WriteDword(BYTE* at, DWORD value)
{
    std::memcpy(at, &value, sizeof value);
}

// Writes `list` (or an empty list for null) at `at`; the bytes written.
std::size_t WriteList(BYTE* at, LPCITEMIDLIST list, std::size_t size)
{
    if (list)
        std::memcpy(at, list, size);
    else
        std::memset(at, 0, kTerminatorSize);
    return size;
}

std::size_t ListBytes(LPCITEMIDLIST list)
{
    return list ? IdListSize(list) : kTerminatorSize;
}

} // namespace

CLIPFORMAT ShellIdListFormat()
{
    static const CLIPFORMAT format
        = static_cast<CLIPFORMAT>(platform::ui::RegisterClipboardFormat(platform::ui::kShellIdListFormatName));
    return format;
}

platform::com::GlobalPtr BuildIdListBlock(LPCITEMIDLIST folder, LPCITEMIDLIST item)
{
    const std::size_t folderSize = ListBytes(folder);
    const std::size_t itemSize = ListBytes(item);
    platform::com::GlobalPtr block(platform::com::GlobalAlloc(kCidaHeaderSize + folderSize + itemSize));
    if (!block)
        return nullptr;
    BYTE* data = platform::com::GlobalData(block.get());
    WriteDword(data, 1);
    WriteDword(data + 4, static_cast<DWORD>(kCidaHeaderSize));
    WriteDword(data + 8, static_cast<DWORD>(kCidaHeaderSize + folderSize));
    WriteList(data + kCidaHeaderSize, folder, folderSize);
    WriteList(data + kCidaHeaderSize + folderSize, item, itemSize);
    return block;
}

platform::com::GlobalPtr BuildDropFilesBlock(const std::string& path)
{
    // GlobalAlloc zeroes the block: the drop point, both flags and the two
    // closing NULs are already in place.
    platform::com::GlobalPtr block(platform::com::GlobalAlloc(kDropFilesHeaderSize + path.size() + 2));
    if (!block)
        return nullptr;
    BYTE* data = platform::com::GlobalData(block.get());
    WriteDword(data, kDropFilesHeaderSize);
    std::memcpy(data + kDropFilesHeaderSize, path.data(), path.size());
    return block;
}

std::optional<IdListBlock> ReadIdListBlock(const BYTE* block, std::size_t size)
{
    if (!block || size < 4)
        return std::nullopt;
    const DWORD count = ReadDword(block);
    if (count > kMaxBlockItems || (static_cast<std::size_t>(count) + 2) * 4 > size)
        return std::nullopt;
    auto listAt = [block, size](DWORD index, IdListContent content) -> std::optional<CheckedIdList> {
        const DWORD offset = ReadDword(block + 4 + 4 * static_cast<std::size_t>(index));
        if (offset >= size)
            return std::nullopt;
        return CheckIdList(block + offset, size - offset, content);
    };
    const auto folder = listAt(0, IdListContent::Foreign);
    if (!folder)
        return std::nullopt;
    IdListBlock result{*folder, {}};
    result.items.reserve(count);
    for (DWORD i = 1; i <= count; ++i) {
        const auto item = listAt(i, IdListContent::Own);
        if (!item)
            return std::nullopt;
        result.items.push_back(*item);
    }
    return result;
}

bool ReadDropFilesBlock(const BYTE* block, std::size_t size, std::vector<std::string>* paths)
{
    if (!block || !paths || size < kDropFilesHeaderSize)
        return false;
    const DWORD offset = ReadDword(block);
    if (offset < kDropFilesHeaderSize || offset >= size || ReadDword(block + 16) != 0)
        return false;
    std::vector<std::string> result;
    std::size_t at = offset;
    for (;;) {
        const auto* start = reinterpret_cast<const char*>(block + at);
        const std::size_t length = ::strnlen(start, size - at);
        if (length == size - at)
            return false; // no NUL inside the block
        if (length == 0)
            break;
        result.emplace_back(start, length);
        at += length + 1;
        if (at >= size)
            return false; // the closing NUL is missing
    }
    *paths = std::move(result);
    return true;
}

} // namespace pellidor
