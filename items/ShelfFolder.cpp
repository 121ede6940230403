#include "items/ShelfFolder.h"

#include "catalog/CatFile.h"
#include "items/ShelfItem.h"
#include "module/ChangeNotify.h"
#include "namespace/FolderViews.h"
#include "namespace/IdList.h"
#include "platform/registry/Registry.h"
#include "platform/shell/FileOperation.h"
#include "platform/system/DirectoryListing.h"
#include "platform/system/Errors.h"
#include "platform/ui/MessageBox.h"

#include <QString>

#include <cstring>
#include <utility>

namespace pellidor {

using platform::com::ComPtr;
using platform::com::MakeCom;
namespace sys = platform::system;

namespace {

constexpr std::size_t kCatDirValueBytes = 260;

bool EndsWithPld(std::string_view name)
{
    if (name.size() < 5)
        return false;
    const std::string_view tail = name.substr(name.size() - 4);
    for (std::size_t i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != ".pld"[i])
            return false;
    }
    return true;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

// The last component, as a path splitter gives it.
std::string LastComponent(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.find_last_of('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string Join(const std::string& directory, std::string_view name)
{
    if (!directory.empty() && directory.back() == '/')
        return directory + std::string(name);
    return directory + "/" + std::string(name);
}

// A new name that stays inside its directory.
bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

CatRecord RecordOf(const sys::FindData& entry, const std::string& fullPath)
{
    CatRecord record{};
    record.Attributes = entry.attributes;
    record.CreationTime = entry.creationTime;
    record.LastAccessTime = entry.lastAccessTime;
    record.LastWriteTime = entry.lastWriteTime;
    record.Size = entry.sizeLow;
    std::memcpy(record.Name, fullPath.data(), fullPath.size());
    record.Name[fullPath.size()] = '\0';
    return record;
}

} // namespace

UINT ShelfColumnHeadingId(int column)
{
    static constexpr UINT kHeadings[kShelfColumnCount] = {2001, 2006, 2002, 2003, 2007, 2004, 2005};
    return column >= 0 && column < kShelfColumnCount ? kHeadings[column] : 0;
}

CShelfFolder::CShelfFolder() = default;

CShelfFolder::CShelfFolder(LPCITEMIDLIST root, LPCITEMIDLIST own) : ComImplements(root, own)
{
}

CShelfFolder::CShelfFolder(LPCITEMIDLIST root, LPCITEMIDLIST parent, const CatRecord& findData)
    : ComImplements(root, parent, &findData, kKindShelfFolder)
{
}

IUnknown* CShelfFolder::FindInterface(REFIID iid)
{
    // IPersist is answered by IPersistFolder, which extends it.
    if (iid == IPersist::kIid)
        return static_cast<IPersistFolder*>(this);
    return ComImplements::FindInterface(iid);
}

HRESULT CShelfFolder::GetClassID(CLSID* out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = CLSID_ShelfFolder;
    return S_OK;
}

HRESULT CShelfFolder::Initialize(LPCITEMIDLIST root)
{
    // The shell's own elements: never read, but walked by every copy.
    const auto checked = CheckIdList(root, IdListContent::Foreign);
    if (!checked)
        return E_INVALIDARG;
    IdListPtr copy = CopyIdList(checked->Get());
    if (!copy)
        return E_OUTOFMEMORY;
    // Children made before hold the old root list.
    ReleaseChildren();
    SetRootIdList(std::move(copy));
    return S_OK;
}

HRESULT CShelfFolder::SetNameOf(HWND owner, const WCHAR* newName)
{
    if (newName == nullptr)
        return E_INVALIDARG;
    const std::string name = QString::fromUtf16(newName).toStdString();
    return Rename(owner, name) ? S_OK : E_INVALIDARG;
}

bool CShelfFolder::Rename(HWND owner, const std::string& newName)
{
    if (IsRoot())
        return false;
    const std::string current = GetPath();
    const std::string newPath = Join(DirectoryOf(current), newName);
    if (EqualIgnoringCase(newPath, current))
        return true;
    if (newPath.size() >= kNameBytes) {
        // It could not be named in the shelf's identifiers.
        platform::ui::MessageBox(owner, sys::ErrorMessage(sys::ERROR_FILENAME_EXCED_RANGE), "Error",
            platform::ui::MB_OK | platform::ui::MB_ICONERROR);
        return false;
    }
    // The platform refuses a name that would leave the directory.
    if (platform::shell::FileOperation(
            owner, platform::shell::FO_RENAME, {current}, newPath, platform::shell::FOF_ALLOWUNDO)
        != 0)
        return false;

    CatRecord record = Record();
    std::memset(record.Name, 0, sizeof record.Name);
    std::memcpy(record.Name, newPath.data(), newPath.size());
    MutableRecord() = record;
    if (IdListPtr own = CopyIdList(OwnIdList())) {
        if (LPITEMIDLIST last = LastElement(own.get()))
            SetElementRecord(last, record);
        SetOwnIdList(std::move(own));
    }
    NotifyCatalogsChanged();
    return true;
}

void CShelfFolder::AddToStatistics(ItemStatistics& statistics)
{
    ++statistics.ShelfFolders;
    if (!LoadChildren(false))
        return;
    for (int i = 0; i < GetChildCount(); ++i)
        GetChild(i)->AddToStatistics(statistics);
}

std::string CShelfFolder::GetPath()
{
    if (!IsRoot())
        return Record().Name;
    return CCatFile::CatalogDirectory();
}

int CShelfFolder::GetSortGroup()
{
    return 3;
}

std::string CShelfFolder::GetColumnText(int column, bool sortKey)
{
    if (column == kShelfColumnName || sortKey)
        return LastComponent(GetPath());
    return {};
}

HRESULT CShelfFolder::OnDelete(CMINVOKECOMMANDINFO* info)
{
    // The root is the catalog directory itself: never deleted from here.
    if (IsRoot())
        return S_OK;
    if (platform::shell::FileOperation(info != nullptr ? info->hwnd : nullptr, platform::shell::FO_DELETE, {GetPath()},
            {}, platform::shell::FOF_ALLOWUNDO)
        == 0)
        NotifyCatalogsChanged();
    return S_OK;
}

UINT CShelfFolder::GetMenuID()
{
    return 1034;
}

std::string CShelfFolder::GetName()
{
    return GetColumnText(kShelfColumnName, false);
}

LPITEMIDLIST CShelfFolder::GetLastID()
{
    return CopyLastElementAs(OwnIdList(), kKindShelfFolder).release();
}

HRESULT CShelfFolder::GetShellAttributes(ULONG* mask)
{
    if (mask == nullptr)
        return E_INVALIDARG;
    ULONG allowed = SFGAO_HASSUBFOLDER | SFGAO_FOLDER | SFGAO_DROPTARGET;
    if (!IsRoot())
        allowed |= SFGAO_CANMOVE | SFGAO_CANLINK | SFGAO_CANRENAME;
    *mask &= allowed;
    return S_OK;
}

HRESULT CShelfFolder::GetDisplayName(DWORD flags, STRRET* out)
{
    return FillDisplayName(flags, GetColumnText(kShelfColumnName, false), out);
}

bool CShelfFolder::AcceptsDrops()
{
    // Its directory takes dropped catalogs and shelf folders.
    return true;
}

ComPtr<IShellView> CShelfFolder::CreateView(HWND)
{
    IFolderViews* views = FolderViews();
    return views != nullptr ? views->MakeShelfView(*this) : nullptr;
}

bool CShelfFolder::LoadChildren(bool reload)
{
    if (reload)
        ReleaseChildren();
    if (ChildrenLoaded())
        return true;
    if (!IsRoot()) {
        ScanDirectory(GetPath());
        SetChildrenLoaded(true);
        return true;
    }
    ScanCatDirValues();
    return true;
}

void CShelfFolder::ScanCatDirValues()
{
    platform::registry::Key key;
    // Without the key the shelf is empty and is read again next time.
    if (key.Open(platform::registry::Hive::LocalMachine, kCatDirKey) != 0)
        return;
    std::string name;
    DWORD type = 0;
    for (DWORD index = 0; key.EnumValue(index, name, &type) == 0; ++index) {
        std::string directory;
        if (type == platform::registry::REG_SZ && key.QueryString(name, directory, kCatDirValueBytes) == 0
            && !directory.empty())
            ScanDirectory(directory);
    }
    SetChildrenLoaded(true);
}

void CShelfFolder::ScanDirectory(const std::string& directory)
{
    sys::DirectoryListing listing;
    if (!listing.Open(directory))
        return;
    sys::FindData entry;
    while (listing.Next(entry)) {
        if (entry.name.empty() || entry.name.front() == '.')
            continue;
        const std::string fullPath = Join(directory, entry.name);
        if (fullPath.size() >= kNameBytes)
            continue; // cannot be named in an identifier
        const CatRecord record = RecordOf(entry, fullPath);
        if (entry.IsDirectory())
            AppendChild(MakeCom<CShelfFolder>(RootIdList(), OwnIdList(), record));
        else if (EndsWithPld(entry.name))
            AppendChild(MakeCom<CShelfItem>(RootIdList(), record));
    }
}

bool CShelfFolder::CreateSubFolder(const std::string& name, DWORD* error)
{
    DWORD failure = 0;
    const std::string directory = GetPath();
    const std::string path = Join(directory, name);
    if (!IsPlainName(name))
        failure = sys::ERROR_INVALID_NAME;
    else if (directory.empty())
        failure = sys::ERROR_PATH_NOT_FOUND;
    else if (path.size() >= kNameBytes)
        failure = sys::ERROR_FILENAME_EXCED_RANGE;
    else if (!platform::shell::CreateDirectory(path))
        failure = sys::GetLastError();
    if (error != nullptr)
        *error = failure;
    if (failure != 0)
        return false;
    NotifyCatalogsChanged();
    return true;
}

} // namespace pellidor
