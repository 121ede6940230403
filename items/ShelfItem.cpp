#include "items/ShelfItem.h"

#include "catalog/CatFile.h"
#include "items/ExportFile.h"
#include "items/Images.h"
#include "items/PropertySheetUi.h"
#include "items/TextHelpers.h"
#include "module/ChangeNotify.h"
#include "module/Resources.h"
#include "namespace/IdList.h"
#include "platform/shell/FileOperation.h"
#include "platform/system/Errors.h"
#include "platform/system/File.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace pellidor {

namespace {

constexpr UINT kUnableToOpenString = 2022;
constexpr UINT kUnknownString = 2023;
constexpr UINT kExportFilterString = 2027;

std::mutex chooserMutex;
CShelfItem::SaveFileChooser saveFileChooser;

// Copies at most `size` bytes of `text` into a fixed field; a text of the
// field's full size keeps no NUL, and readers stop at the field's end.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N));
}

std::string ReadField(const BYTE* element, std::size_t offset, std::size_t size)
{
    const char* begin = reinterpret_cast<const char*>(element) + offset;
    const void* nul = std::memchr(begin, 0, size);
    return std::string(begin, nul != nullptr ? static_cast<const char*>(nul) : begin + size);
}

// What a catalog that cannot be opened shows.
CatHeader FallbackHeader()
{
    CatHeader header;
    header.VolumeSerial = 0;
    header.CatalogTime = kNoTime;
    header.TotalBytes = 0;
    header.FreeBytes = 0;
    header.DriveType = 0;
    const std::string unknown = LoadString(kUnknownString);
    CopyField(header.VolumeLabel, unknown);
    CopyField(header.UserName, unknown);
    CopyField(header.FileSystemName, unknown);
    CopyField(header.Content, LoadString(kUnableToOpenString));
    return header;
}

// A catalog element for the scanned file: its entry as a folder of the
// root list, and the volume facts of the catalog's header.
IdListPtr MakeCatalogIdList(const CatRecord& findData)
{
    CatRecord record = findData;
    record.Attributes |= kAttrDirectory;
    record.Size = kRootList;
    IdListPtr list = MakeElement(nullptr, &record, kKindCatalog);
    if (list == nullptr)
        return nullptr;
    CatHeader header;
    {
        CCatFile file;
        header = file.Open(record.Name, CCatFile::OpenMode::Read) ? file.Header() : FallbackHeader();
    }
    WriteVolumeBlock(list.get(), header);
    // The file-system name may fill its nine bytes without a NUL.
    std::memcpy(
        reinterpret_cast<BYTE*>(list.get()) + kOffsetFileSystemName, header.FileSystemName, kFileSystemNameBytes);
    return list;
}

} // namespace

CShelfItem::CShelfItem(LPCITEMIDLIST root, const CatRecord& findData)
    : ComImplements(root, MakeCatalogIdList(findData).get())
{
}

CShelfItem::CShelfItem(LPCITEMIDLIST root, LPCITEMIDLIST own) : ComImplements(root, own)
{
    MutableRecord().Size = kRootList;
}

void CShelfItem::SetSaveFileChooser(SaveFileChooser chooser)
{
    std::lock_guard guard(chooserMutex);
    saveFileChooser = std::move(chooser);
}

std::string CShelfItem::CatalogFilePath() const
{
    return Record().Name;
}

std::string CShelfItem::FileSystemName() const
{
    const BYTE* element = CatalogElement();
    return element != nullptr ? ReadField(element, kOffsetFileSystemName, kFileSystemNameBytes) : std::string();
}

std::uint32_t CShelfItem::DriveType() const
{
    const BYTE* element = CatalogElement();
    DWORD type = 0;
    if (element != nullptr)
        std::memcpy(&type, element + kOffsetDriveType, sizeof type);
    return type;
}

HRESULT CShelfItem::OnExport(CMINVOKECOMMANDINFO* info)
{
    HWND owner = info != nullptr ? info->hwnd : nullptr;
    SaveFileChooser chooser;
    {
        std::lock_guard guard(chooserMutex);
        chooser = saveFileChooser;
    }
    // The dialog has no owner; the file-error box does.
    const std::optional<std::string> path
        = chooser ? chooser(nullptr) : platform::ui::GetSaveFileName(nullptr, LoadString(kExportFilterString), "txt");
    if (!path || path->empty())
        return S_OK;
    FileError error;
    if (!ExportToFile(*path, &error))
        platform::ui::MessageBox(
            owner, FileErrorText(error), "Pellidor", platform::ui::MB_OK | platform::ui::MB_ICONWARNING);
    return S_OK;
}

bool CShelfItem::ExportToFile(const std::string& path, FileError* error)
{
    FileError failure;
    {
        // The catalog is opened before the output is touched and kept open
        // to the end: one that cannot be opened fails the export, instead
        // of giving a file with the header line alone.
        platform::system::SetLastError(platform::system::ERROR_SUCCESS);
        const CatalogReadScope keepOpen(CatalogFilePath());
        if (!keepOpen.IsKeeping()) {
            // Opened but not a catalog: no system error says so.
            const DWORD code = platform::system::GetLastError();
            failure = {code != platform::system::ERROR_SUCCESS ? code : platform::system::ERROR_INVALID_DATA,
                CatalogFilePath()};
        } else {
            CExportFile file;
            if (file.Create(path)) {
                file.WriteLine(kExportHeaderLine);
                Export(file);
            }
            if (!file.Close())
                failure = {file.Error(), path};
        }
    }
    if (error != nullptr)
        *error = failure;
    return failure.code == platform::system::ERROR_SUCCESS;
}

void CShelfItem::AddToStatistics(ItemStatistics& statistics)
{
    ++statistics.Catalogs;
    AddTreeToStatistics(statistics);
}

int CShelfItem::GetSortGroup()
{
    return 2;
}

std::string CShelfItem::GetColumnText(int column, bool sortKey)
{
    switch (column) {
    case 0:
        return GetName();
    case 1:
        return CatalogVolumeLabel();
    case 2:
        return DriveTypeText();
    case 3:
        return sortKey ? SortKey64(TotalBytes()) : FormatByteSize(static_cast<std::int64_t>(TotalBytes()));
    case 4:
        return sortKey ? SortKey64(FreeBytes()) : FormatByteSize(static_cast<std::int64_t>(FreeBytes()));
    case 5:
        return sortKey ? SortKey32(static_cast<std::uint32_t>(CatalogTime())) : FormatDateText(CatalogTime());
    case 6:
        return CatalogContent();
    default:
        return {};
    }
}

HRESULT CShelfItem::OnDelete(CMINVOKECOMMANDINFO* info)
{
    if (platform::shell::FileOperation(info != nullptr ? info->hwnd : nullptr, platform::shell::FO_DELETE,
            {CatalogFilePath()}, {}, platform::shell::FOF_ALLOWUNDO)
        == 0)
        NotifyCatalogsChanged();
    return S_OK;
}

UINT CShelfItem::GetMenuID()
{
    return 1013;
}

HRESULT CShelfItem::OnProperties(CMINVOKECOMMANDINFO* info)
{
    IPropertySheetUi* ui = PropertySheetUi();
    if (ui == nullptr)
        return E_NOTIMPL;
    // Held while the sheet is open, whoever else lets the item go.
    const auto self = platform::com::ComPtr<CShelfItem>::AddRefed(this);
    ui->ShowProperties(info != nullptr ? info->hwnd : nullptr, nullptr, *this);
    return S_OK;
}

std::string CShelfItem::GetName()
{
    return CatalogUserName();
}

bool CShelfItem::IsFolder()
{
    return true;
}

int CShelfItem::GetIconIndex()
{
    return CImages::Instance().IndexForCatalog(CatalogFilePath());
}

LPITEMIDLIST CShelfItem::GetLastID()
{
    IdListPtr last = CopyLastElementAs(OwnIdList(), kKindCatalog);
    if (last == nullptr)
        return nullptr;
    auto* element = last.get();
    CatRecord record = ElementRecord(element);
    record.Attributes |= kAttrDirectory;
    record.Size = kRootList;
    SetElementRecord(element, record);
    return last.release();
}

HRESULT CShelfItem::GetShellAttributes(ULONG* mask)
{
    if (mask == nullptr)
        return E_INVALIDARG;
    *mask &= SFGAO_HASSUBFOLDER | SFGAO_FOLDER | SFGAO_CANLINK | SFGAO_CANMOVE;
    return S_OK;
}

HRESULT CShelfItem::GetDisplayName(DWORD flags, STRRET* out)
{
    return FillDisplayName(flags, GetName(), out);
}

bool CShelfItem::SetInformation(
    const std::optional<std::string>& userName, const std::optional<std::string>& content, DWORD* error)
{
    const auto fail = [error] {
        if (error != nullptr) {
            const DWORD last = platform::system::GetLastError();
            *error = last != platform::system::ERROR_SUCCESS ? last : platform::system::ERROR_GEN_FAILURE;
        }
        return false;
    };
    {
        CCatFile file;
        platform::system::SetLastError(platform::system::ERROR_SUCCESS);
        if (!file.Open(CatalogFilePath(), CCatFile::OpenMode::Update))
            return fail();
        if (userName)
            file.SetUserName(*userName);
        if (content)
            file.SetContent(*content);
        if (!file.WriteHeader())
            return fail();
    }
    NotifyCatalogsChanged();
    if (error != nullptr)
        *error = platform::system::ERROR_SUCCESS;
    return true;
}

bool CShelfItem::CatalogFileSize(std::uint64_t* size) const
{
    return platform::system::GetFileSize(CatalogFilePath(), size);
}

HRESULT CShelfItem::GetIconLocation(UINT, char* iconFile, UINT cchMax, int* index, UINT* outFlags)
{
    if (iconFile != nullptr && cchMax > 0) {
        const std::string path = CatalogFilePath();
        const std::size_t length = std::min<std::size_t>(path.size(), cchMax - 1);
        std::memcpy(iconFile, path.data(), length);
        iconFile[length] = '\0';
    }
    if (index != nullptr)
        *index = 0;
    if (outFlags != nullptr)
        *outFlags = GIL_NOTFILENAME;
    return S_OK;
}

HRESULT CShelfItem::Extract(const char*, UINT, HICON* large, HICON* small, UINT)
{
    CImages::Instance().IconsForCatalog(CatalogFilePath(), large, small);
    return S_OK;
}

HRESULT CShelfItem::GetInfoTip(DWORD, WCHAR** tip)
{
    if (tip != nullptr)
        *tip = nullptr;
    return E_NOTIMPL;
}

HRESULT CShelfItem::GetInfoFlags(DWORD*)
{
    return E_NOTIMPL;
}

} // namespace pellidor
