#include "platform/shell/DropFiles.h"
#include "platform/com/GiveOnlyDataObject.h"

#include "platform/com/ComObject.h"

#include <cstring>
#include <new>

namespace platform::shell {

namespace {

constexpr DWORD kHeaderSize = 20;
constexpr UINT kCountQuery = 0xFFFFFFFF;

DWORD ReadDword(const BYTE* at)
{
    DWORD value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

class DropFilesDataObject : public com::GiveOnlyDataObject {
public:
    explicit DropFilesDataObject(std::vector<std::string> paths) : paths_(std::move(paths)) { }

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (const HRESULT usable = AcceptRequest(format, medium); usable != S_OK)
            return usable;
        com::GlobalPtr block = BuildDropFiles(paths_);
        if (!block)
            return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block.release(); // the receiver's now
        return S_OK;
    }
    HRESULT QueryGetData(FORMATETC* format) override
    {
        if (format == nullptr)
            return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP || !com::IsGlobalContentRequest(*format))
            return DV_E_FORMATETC;
        return S_OK;
    }

private:
    ~DropFilesDataObject() override = default;

    std::vector<std::string> paths_;
};

} // namespace

com::GlobalPtr BuildDropFiles(const std::vector<std::string>& paths)
{
    std::size_t size = kHeaderSize + 1;
    for (const std::string& path : paths)
        size += path.size() + 1;
    // GlobalAlloc zeroes the block: the drop point, both flags and every NUL
    // are already in place.
    com::GlobalPtr block(com::GlobalAlloc(size));
    if (!block)
        return nullptr;
    BYTE* data = com::GlobalData(block.get());
    std::memcpy(data, &kHeaderSize, sizeof kHeaderSize);
    std::size_t offset = kHeaderSize;
    for (const std::string& path : paths) {
        std::memcpy(data + offset, path.data(), path.size());
        offset += path.size() + 1;
    }
    return block;
}

bool ReadDropFiles(const BYTE* block, std::size_t size, std::vector<std::string>& paths)
{
    paths.clear();
    if (block == nullptr || size < kHeaderSize)
        return false;
    const DWORD offset = ReadDword(block);
    if (offset < kHeaderSize || offset >= size || ReadDword(block + 16) != 0)
        return false;
    std::size_t at = offset;
    while (at < size) {
        const auto* begin = reinterpret_cast<const char*>(block + at);
        const void* end = std::memchr(begin, 0, size - at);
        if (end == nullptr)
            break;
        const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(end) - begin);
        if (length == 0)
            return true;
        paths.emplace_back(begin, length);
        at += length + 1;
    }
    paths.clear();
    return false;
}

UINT DragQueryFile(HGLOBAL drop, UINT index, char* buffer, UINT bufferSize)
{
    std::vector<std::string> paths;
    if (drop == nullptr || !ReadDropFiles(com::GlobalData(drop), com::GlobalSize(drop), paths))
        return 0;
    if (index == kCountQuery)
        return static_cast<UINT>(paths.size());
    if (index >= paths.size())
        return 0;
    const std::string& path = paths[index];
    if (buffer == nullptr || bufferSize == 0)
        return static_cast<UINT>(path.size());
    const std::size_t copied = std::min<std::size_t>(path.size(), bufferSize - 1);
    std::memcpy(buffer, path.data(), copied);
    buffer[copied] = '\0';
    return static_cast<UINT>(copied);
}

com::ComPtr<IDataObject> CreateDropFilesDataObject(const std::vector<std::string>& paths)
{
    auto* object = new (std::nothrow) DropFilesDataObject(paths);
    return com::ComPtr<IDataObject>::Adopt(object);
}

} // namespace platform::shell
