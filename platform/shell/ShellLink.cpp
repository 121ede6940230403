#include "platform/shell/ShellLink.h"

#include "platform/shell/NamespaceIds.h"
#include "platform/system/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cstring>

namespace platform::shell {

namespace {

constexpr BYTE kMagic[4] = {'P', 'L', 'N', 'K'};
constexpr WORD kVersion = 1;
constexpr std::size_t kHeaderSize = 12; // magic, version, reserved, list length
constexpr std::size_t kLengthSize = 4;
constexpr std::size_t kMaxFileSize = kHeaderSize + kMaxLinkIdList + kLengthSize + kMaxLinkDescription;

void PutU16(std::vector<BYTE>& out, WORD value)
{
    out.push_back(static_cast<BYTE>(value & 0xFF));
    out.push_back(static_cast<BYTE>(value >> 8));
}

void PutU32(std::vector<BYTE>& out, std::size_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<BYTE>((value >> shift) & 0xFF));
}

std::uint32_t GetU32(const BYTE* at)
{
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8)
        | (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// The size of the list at `list` (terminator included), walking at most
// kMaxLinkIdList bytes; 0 when no terminator lies within them.
std::size_t BoundedListSize(LPCITEMIDLIST list)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(list);
    std::size_t offset = 0;
    while (offset + 2 <= kMaxLinkIdList) {
        USHORT size = 0;
        std::memcpy(&size, bytes + offset, sizeof size);
        if (size == 0)
            return offset + 2;
        offset += size;
    }
    return 0;
}

QString PathText(const WCHAR* fileName)
{
    return QString::fromUtf16(fileName);
}

// Why a link could not be written: its folder is missing, or may not be
// written, or the write itself failed.
HRESULT SaveError(const QSaveFile& file)
{
    const QFileInfo folder(QFileInfo(file.fileName()).absolutePath());
    if (!folder.isDir())
        return HRESULT_FROM_WIN32(system::ERROR_PATH_NOT_FOUND);
    if (file.error() == QFileDevice::PermissionsError || !folder.isWritable())
        return HRESULT_FROM_WIN32(system::ERROR_ACCESS_DENIED);
    return HRESULT_FROM_WIN32(system::ERROR_WRITE_FAULT);
}

} // namespace

std::string WithLinkExtension(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    return (hasExtension ? path.substr(0, dot) : path) + ".lnk";
}

std::vector<BYTE> FormatLinkFile(const LinkContents& contents)
{
    std::vector<BYTE> out(std::begin(kMagic), std::end(kMagic));
    PutU16(out, kVersion);
    PutU16(out, 0);
    PutU32(out, contents.idList.size());
    out.insert(out.end(), contents.idList.begin(), contents.idList.end());
    PutU32(out, contents.description.size());
    out.insert(out.end(), contents.description.begin(), contents.description.end());
    return out;
}

std::optional<LinkContents> ParseLinkFile(const BYTE* data, std::size_t size)
{
    if (data == nullptr || size < kHeaderSize + kLengthSize || size > kMaxFileSize)
        return std::nullopt;
    if (std::memcmp(data, kMagic, sizeof kMagic) != 0 || data[4] != kVersion || data[5] != 0 || data[6] != 0
        || data[7] != 0)
        return std::nullopt;
    // Every length is checked against what is left before it is used.
    std::size_t offset = kHeaderSize;
    const std::size_t listSize = GetU32(data + 8);
    if (listSize > size - offset || listSize > kMaxLinkIdList || listSize == 1)
        return std::nullopt;
    LinkContents contents;
    if (listSize != 0) {
        if (ValidateIdList(data + offset, listSize) != listSize)
            return std::nullopt;
        contents.idList.assign(data + offset, data + offset + listSize);
    }
    offset += listSize;
    if (size - offset < kLengthSize)
        return std::nullopt;
    const std::size_t descriptionSize = GetU32(data + offset);
    offset += kLengthSize;
    if (descriptionSize > kMaxLinkDescription || descriptionSize != size - offset)
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(data + offset);
    if (std::find(text, text + descriptionSize, '\0') != text + descriptionSize)
        return std::nullopt;
    contents.description.assign(text, descriptionSize);
    return contents;
}

// ---- IShellLinkA ----

HRESULT CShellLink::GetIDList(LPITEMIDLIST* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (contents_.idList.empty())
        return S_FALSE;
    void* copy = com::TaskMemAlloc(contents_.idList.size());
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(copy, contents_.idList.data(), contents_.idList.size());
    *out = static_cast<LPITEMIDLIST>(copy);
    return S_OK;
}

HRESULT CShellLink::SetIDList(LPCITEMIDLIST idl)
{
    if (idl == nullptr)
        return E_INVALIDARG;
    // Only a list that a later Load would take back is kept.
    const std::size_t size = BoundedListSize(idl);
    const auto* bytes = reinterpret_cast<const BYTE*>(idl);
    if (size == 0 || ValidateIdList(bytes, size) != size)
        return E_INVALIDARG;
    contents_.idList.assign(bytes, bytes + size);
    dirty_ = true;
    return S_OK;
}

HRESULT CShellLink::GetDescription(char* name, int cchMax)
{
    if (name == nullptr || cchMax <= 0)
        return E_INVALIDARG;
    const std::size_t count = std::min(contents_.description.size(), static_cast<std::size_t>(cchMax) - 1);
    std::memcpy(name, contents_.description.data(), count);
    name[count] = '\0';
    return S_OK;
}

HRESULT CShellLink::SetDescription(const char* name)
{
    if (name == nullptr)
        return E_INVALIDARG;
    const std::size_t length = ::strnlen(name, kMaxLinkDescription + 1);
    if (length > kMaxLinkDescription)
        return E_INVALIDARG;
    contents_.description.assign(name, length);
    dirty_ = true;
    return S_OK;
}

HRESULT CShellLink::GetPath(char*, int, WIN32_FIND_DATAA*, DWORD)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::GetWorkingDirectory(char*, int)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::SetWorkingDirectory(const char*)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::GetArguments(char*, int)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::SetArguments(const char*)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::GetHotkey(WORD*)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::SetHotkey(WORD)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::GetShowCmd(int*)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::SetShowCmd(int)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::GetIconLocation(char*, int, int*)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::SetIconLocation(const char*, int)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::SetRelativePath(const char*, DWORD)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::Resolve(HWND, DWORD)
{
    return E_NOTIMPL;
}
HRESULT CShellLink::SetPath(const char*)
{
    return E_NOTIMPL;
}

// ---- IPersistFile ----

IUnknown* CShellLink::FindInterface(REFIID iid)
{
    if (iid == IPersist::kIid)
        return static_cast<IPersistFile*>(this);
    return ComImplements::FindInterface(iid);
}

HRESULT CShellLink::GetClassID(CLSID* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = CLSID_ShellLink;
    return S_OK;
}

HRESULT CShellLink::IsDirty()
{
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT CShellLink::Load(const WCHAR* fileName, DWORD)
{
    if (fileName == nullptr)
        return E_INVALIDARG;
    QFile file(PathText(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return HRESULT_FROM_WIN32(file.exists() ? system::ERROR_ACCESS_DENIED : system::ERROR_FILE_NOT_FOUND);
    // One byte more than the largest link: a longer file is refused unread.
    const QByteArray bytes = file.read(static_cast<qint64>(kMaxFileSize) + 1);
    std::optional<LinkContents> contents
        = ParseLinkFile(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    if (!contents)
        return HRESULT_FROM_WIN32(system::ERROR_INVALID_DATA);
    contents_ = std::move(*contents);
    currentFile_ = fileName;
    dirty_ = false;
    return S_OK;
}

HRESULT CShellLink::Save(const WCHAR* fileName, BOOL remember)
{
    if (fileName == nullptr && currentFile_.empty())
        return E_INVALIDARG;
    const std::u16string target = fileName != nullptr ? std::u16string(fileName) : currentFile_;
    // Written whole or not at all: a link that was there stays until the new
    // one is complete.
    QSaveFile file(QString::fromStdU16String(target));
    const std::vector<BYTE> bytes = FormatLinkFile(contents_);
    if (!file.open(QIODevice::WriteOnly))
        return SaveError(file);
    if (file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()))
            != static_cast<qint64>(bytes.size())
        || !file.commit())
        return SaveError(file);
    if (fileName == nullptr || remember) {
        currentFile_ = target;
        dirty_ = false;
    }
    return S_OK;
}

HRESULT CShellLink::SaveCompleted(const WCHAR*)
{
    return S_OK;
}

HRESULT CShellLink::GetCurFile(WCHAR** fileName)
{
    if (fileName == nullptr)
        return E_POINTER;
    *fileName = nullptr;
    if (currentFile_.empty())
        return S_FALSE;
    const std::size_t bytes = (currentFile_.size() + 1) * sizeof(WCHAR);
    auto* copy = static_cast<WCHAR*>(com::TaskMemAlloc(bytes));
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(copy, currentFile_.c_str(), bytes);
    *fileName = copy;
    return S_OK;
}

} // namespace platform::shell
