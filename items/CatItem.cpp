#include "items/CatItem.h"

#include "items/CatItemFormats.h"
#include "items/DataTransfer.h"
#include "items/DropTarget.h"
#include "items/Favorites.h"
#include "items/Images.h"
#include "items/MediumQuery.h"
#include "items/PropertySheetUi.h"
#include "items/ShelfItem.h"
#include "items/TextHelpers.h"
#include "module/Resources.h"
#include "platform/shell/Execute.h"
#include "platform/shell/FileInfo.h"
#include "platform/system/Drives.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Strings.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <limits>

namespace pellidor {

namespace {

using platform::com::ComPtr;

// Command ids: the menu resources' item ids, added to the shell's first id.
enum Command : UINT {
    kCmdExplore = 21,
    kCmdOpen = 22,
    kCmdSend = 24,
    kCmdProperties = 25,
    kCmdDelete = 26,
    kCmdAddToFavorites = 29,
    kCmdExport = 31,
    kCmdRename = 32,
};

constexpr UINT kDefaultOnlyMenu = 1016;
constexpr UINT kOpenErrorString = 2020;
constexpr UINT kNoNameString = 2024;
constexpr const char* kRenameVerb = "rename";
constexpr const char* kCaption = "Pellidor";
constexpr ULONG kFolderShellAttributes = SFGAO_HASSUBFOLDER | SFGAO_FOLDER | SFGAO_BROWSABLE;

CatRecord LastRecordOf(LPCITEMIDLIST own)
{
    const LPCITEMIDLIST last = LastElement(own);
    return last ? ElementRecord(last) : CatRecord{};
}

std::string NameOf(const CatRecord& record)
{
    return std::string(record.Name, ::strnlen(record.Name, kNameBytes));
}

std::string OrNoName(std::string text)
{
    text = TrimRight(std::move(text));
    return text.empty() ? LoadString(kNoNameString) : text;
}

// A name that, joined to a path, would name something else than an entry of
// that folder. Catalog files are untrusted input.
bool IsUnsafeName(const std::string& name)
{
    return name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos;
}

// Copies `text` into a buffer of `size` characters, truncated and always
// NUL-terminated (nothing is written to a buffer of size 0).
template <class Char>
void CopyTruncated(Char* out, UINT size, const std::basic_string<Char>& text)
{
    if (!out || size == 0)
        return;
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::copy_n(text.data(), count, out);
    out[count] = Char{};
}

HRESULT CopyCommandText(UINT type, char* out, UINT size, const std::string& text)
{
    if (type == GCS_VERBW || type == GCS_HELPTEXTW) {
        const QString wide = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        CopyTruncated(reinterpret_cast<WCHAR*>(out), size, wide.toStdU16String());
    } else {
        CopyTruncated(out, size, text);
    }
    return S_OK;
}

// Inserts every item of `source`, first to last, at `position` of `target`,
// so they end up in reverse order; each id is offset by `firstId`. Popups
// are rebuilt the same way. Answers the highest id inserted (or 0).
UINT MergeMenu(platform::ui::Menu& target, UINT position, const platform::ui::Menu& source, UINT firstId)
{
    UINT highest = 0;
    for (int i = 0; i < source.GetItemCount(); ++i) {
        const platform::ui::MenuItem& from = *source.GetItem(i);
        platform::ui::MenuItem item;
        item.type = from.type;
        item.state = from.state;
        item.text = from.text;
        if (from.submenu) {
            item.submenu = platform::ui::CreatePopupMenu();
            highest = std::max(highest, MergeMenu(*item.submenu, 0, *from.submenu, firstId));
        } else {
            item.id = firstId + from.id;
            highest = std::max(highest, item.id);
        }
        target.InsertItem(position, platform::ui::MF_BYPOSITION, std::move(item));
    }
    return highest;
}

bool IsUsableRequest(const FORMATETC& format)
{
    return format.ptd == nullptr && (format.dwAspect & DVASPECT_CONTENT) != 0 && format.lindex == -1
        && (format.tymed & TYMED_HGLOBAL) != 0;
}

void FillMedium(STGMEDIUM* medium, platform::com::GlobalPtr block)
{
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block.release(); // the receiver owns and frees it
    medium->pUnkForRelease = nullptr;
}

} // namespace

UINT ItemColumnHeadingId(int column)
{
    static constexpr UINT kHeadings[kItemColumnCount] = {2001, 2003, 2002, 2004, 2009, 2017, 2018};
    return column >= 0 && column < kItemColumnCount ? kHeadings[column] : 0;
}

CCatItem::CCatItem() = default;

CCatItem::CCatItem(LPCITEMIDLIST root, LPCITEMIDLIST own)
    : root_(ShareIdList(CopyIdList(root)))
    , own_(ShareIdList(CopyIdList(own)))
    , record_(LastRecordOf(own))
{
}

CCatItem::CCatItem(LPCITEMIDLIST root, LPCITEMIDLIST parent, const CatRecord* record, DWORD kind)
    : CCatItem(ShareIdList(CopyIdList(root)), StartIdChain(ShareIdList(CopyIdList(parent))), record, kind)
{
}

CCatItem::CCatItem(SharedIdList root, SharedIdChain parent, const CatRecord* record, DWORD kind)
    : root_(std::move(root))
    , record_(record != nullptr ? *record : CatRecord{})
{
    if (ElementSizeOf(kind) == kElementSize) {
        parent_ = std::move(parent);
        hasTail_ = true;
        tailKind_ = kind;
    } else {
        own_ = ShareIdList(MakeElementAfterChain(parent.get(), record, kind));
    }
}

CCatItem::~CCatItem() = default;

LPCITEMIDLIST CCatItem::WriteTail(TailBuffer& buffer) const
{
    if (!hasTail_)
        return nullptr;
    WriteElement(buffer, &record_, tailKind_);
    return reinterpret_cast<LPCITEMIDLIST>(buffer);
}

const SharedIdList& CCatItem::SharedOwnIdList() const
{
    if (!own_ && hasTail_)
        own_ = ShareIdList(MakeElementAfterChain(parent_.get(), &record_, tailKind_));
    return own_;
}

SharedIdChain CCatItem::OwnIdChain() const
{
    if (hasTail_)
        return ExtendIdChain(parent_, record_, tailKind_);
    return StartIdChain(own_);
}

template <class Visit>
void CCatItem::VisitOwnElements(Visit visit) const
{
    const auto walk = [&visit](LPCITEMIDLIST list) {
        for (LPCITEMIDLIST at = list; at != nullptr && ElementSize(at) != 0; at = NextElement(at)) {
            if (!visit(at))
                return false;
        }
        return true;
    };
    TailBuffer tail;
    if (!hasTail_)
        walk(own_.get());
    else if (VisitIdChain(parent_.get(), visit))
        walk(WriteTail(tail)); // gone on return: `visit` keeps no pointer into it
}

void CCatItem::SetOwnIdList(IdListPtr own)
{
    record_ = LastRecordOf(own.get());
    own_ = ShareIdList(std::move(own));
    parent_.reset();
    hasTail_ = false;
}

void CCatItem::SetRootIdList(IdListPtr root)
{
    root_ = ShareIdList(std::move(root));
}

// --- The virtual operations of a catalogued file ---

HRESULT CCatItem::SetNameOf(HWND, const WCHAR*)
{
    return E_NOTIMPL;
}

bool CCatItem::Rename(HWND, const std::string&)
{
    return false;
}

void CCatItem::Export(IExportWriter& writer)
{
    // The size is the unsigned 32-bit count: files of 2 GB and more must not
    // turn negative.
    const std::string line = "\"" + GetName() + "\";\"" + std::to_string(record_.Size) + "\";\""
        + FormatDateText(record_.LastAccessTime) + "\";\"" + FormatDateText(record_.CreationTime) + "\";\""
        + FormatDateText(record_.LastWriteTime) + "\";\"" + GetFolderText() + "\"";
    writer.WriteLine(line);
}

HRESULT CCatItem::OnExport(CMINVOKECOMMANDINFO*)
{
    return E_NOTIMPL;
}

void CCatItem::AddToStatistics(ItemStatistics& statistics)
{
    ++statistics.Files;
    statistics.TotalSize += record_.Size;
}

// The name field itself, not the shown name: a catalog's field holds its
// file's full path, which is what a drop moves.
std::string CCatItem::GetPath()
{
    return record_.Name;
}

int CCatItem::GetSortGroup()
{
    return 0;
}

HRESULT CCatItem::OnAddToFavorites(CMINVOKECOMMANDINFO* info)
{
    const platform::com::TaskMemPtr<ITEMIDLIST> absolute(GetFullIDList());
    if (absolute)
        CFavorites().AddToFavorites(info->hwnd, absolute.get(), GetName());
    return S_OK;
}

std::string CCatItem::GetColumnText(int column, bool sortKey)
{
    switch (column) {
    case kColumnName:
        return GetName();
    case kColumnSize:
        if (IsFolder())
            return {};
        return sortKey ? SortKey32(record_.Size) : FormatKilobytes(record_.Size);
    case kColumnType:
        return GetTypeName();
    case kColumnDate:
        return sortKey ? SortKey32(static_cast<std::uint32_t>(record_.LastWriteTime))
                       : FormatDateText(record_.LastWriteTime);
    case kColumnAttributes:
        return AttributeLetters(record_.Attributes);
    case kColumnVolume:
        return CatalogUserName();
    case kColumnFolder:
        return GetFolderText();
    default:
        return {};
    }
}

std::string CCatItem::GetTypeName()
{
    const std::string type = platform::shell::GetTypeName(GetName(), IsFolder() ? kAttrDirectory : kAttrNormal);
    return type.empty() ? std::string("<UNKNOWN>") : type;
}

HRESULT CCatItem::OnDelete(CMINVOKECOMMANDINFO*)
{
    return E_NOTIMPL;
}

UINT CCatItem::GetMenuID()
{
    return 1015;
}

HRESULT CCatItem::OnExplore(CMINVOKECOMMANDINFO*)
{
    return E_NOTIMPL;
}

HRESULT CCatItem::OnOpen(CMINVOKECOMMANDINFO* info)
{
    const HWND owner = info ? info->hwnd : nullptr;
    std::string driveRoot;
    if (!FindTheMedium(*this, owner, &driveRoot))
        return E_NOTIMPL;
    const std::string path = GetPathOnMedium(driveRoot);
    const int answer = platform::shell::ShellExecute(owner, nullptr, path, {}, {}, SW_SHOWNORMAL);
    if (answer > 32)
        return S_OK;
    const std::string text = platform::ui::FormatInserts(LoadString(kOpenErrorString), {path, std::to_string(answer)});
    platform::ui::MessageBox(owner, text, kCaption, platform::ui::MB_OK | platform::ui::MB_ICONERROR);
    return E_NOTIMPL;
}

HRESULT CCatItem::OnProperties(CMINVOKECOMMANDINFO* info)
{
    // The volume page shows a catalog item of its own, made for the sheet
    // and released when the sheet has closed.
    IPropertySheetUi* ui = PropertySheetUi();
    const platform::com::ComPtr<CShelfItem> catalog = CatalogItemOf(*this);
    if (ui == nullptr || !catalog)
        return E_NOTIMPL;
    ui->ShowProperties(info != nullptr ? info->hwnd : nullptr, this, *catalog);
    return S_OK;
}

HRESULT CCatItem::OnSend(CMINVOKECOMMANDINFO*)
{
    return E_NOTIMPL;
}

std::string CCatItem::GetName()
{
    return NameOf(record_);
}

bool CCatItem::IsFolder()
{
    return record_.IsFolder();
}

int CCatItem::CompareTo(CCatItem& other, int column)
{
    return CompareSortKeys(MakeSortKey(column), other.MakeSortKey(column));
}

CCatItem::SortKey CCatItem::MakeSortKey(int column)
{
    const std::string text = GetColumnText(column, true);
    return {GetSortGroup(), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded()};
}

int CCatItem::CompareSortKeys(const SortKey& mine, const SortKey& theirs)
{
    if (mine.group != theirs.group)
        return theirs.group - mine.group;
    // Both folded: comparing them exactly is comparing the texts without
    // regard to case.
    return mine.text.compare(theirs.text, Qt::CaseSensitive);
}

int CCatItem::GetIconIndex()
{
    CImages& images = CImages::Instance();
    return IsFolder() ? images.FolderIndex() : images.IndexForFileName(GetName());
}

LPITEMIDLIST CCatItem::GetFullIDList() const
{
    return JoinIdLists(root_.get(), OwnIdList()).release();
}

LPITEMIDLIST CCatItem::GetLastID()
{
    if (hasTail_)
        return MakeElement(nullptr, &record_, tailKind_).release();
    return CopyElement(LastElement(own_.get())).release();
}

HRESULT CCatItem::GetShellAttributes(ULONG* mask)
{
    if (!mask)
        return E_POINTER;
    ULONG offered = 0;
    if ((record_.Attributes & kAttrReadOnly) != 0)
        offered |= SFGAO_READONLY;
    if (IsFolder())
        offered |= kFolderShellAttributes;
    *mask &= offered;
    return S_OK;
}

HRESULT CCatItem::GetDisplayName(DWORD, STRRET* out)
{
    if (!out)
        return E_POINTER;
    out->uType = STRRET_CSTR;
    CopyTruncated(out->cStr, static_cast<UINT>(MAX_PATH), GetName());
    return S_OK;
}

bool CCatItem::AcceptsDrops()
{
    return false;
}

ComPtr<IDropTarget> CCatItem::CreateDropTarget()
{
    return platform::com::MakeCom<CDropTarget>(this);
}

// --- The catalog ---

const BYTE* CCatItem::CatalogElement() const
{
    // The first element that is not a shelf folder, when it is a catalog.
    // A catalog element is always kept in a list, never written on the fly,
    // so the pointer outlives the visit.
    LPCITEMIDLIST catalog = nullptr;
    VisitOwnElements([&catalog](LPCITEMIDLIST element) {
        const DWORD kind = ElementKind(element);
        if (kind == kKindCatalog)
            catalog = element;
        return kind == kKindShelfFolder;
    });
    return reinterpret_cast<const BYTE*>(catalog);
}

bool CCatItem::NamesBelowCatalog(std::vector<std::string>& names) const
{
    bool belowCatalog = false;
    VisitOwnElements([&](LPCITEMIDLIST element) {
        if (belowCatalog) {
            names.push_back(ElementName(element));
            return true;
        }
        const DWORD kind = ElementKind(element);
        belowCatalog = kind == kKindCatalog;
        return kind == kKindShelfFolder || belowCatalog;
    });
    return belowCatalog;
}

namespace {

LPCITEMIDLIST AsElement(const BYTE* element)
{
    return reinterpret_cast<LPCITEMIDLIST>(element);
}

} // namespace

DWORD CCatItem::VolumeSerial() const
{
    const BYTE* element = CatalogElement();
    return element ? ReadVolumeBlock(AsElement(element)).VolumeSerial : 0xFFFFFFFF;
}

std::int32_t CCatItem::CatalogTime() const
{
    const BYTE* element = CatalogElement();
    return element ? ReadVolumeBlock(AsElement(element)).CatalogTime : -1;
}

std::uint64_t CCatItem::TotalBytes() const
{
    const BYTE* element = CatalogElement();
    return element ? ReadVolumeBlock(AsElement(element)).TotalBytes : std::numeric_limits<std::uint64_t>::max();
}

std::uint64_t CCatItem::FreeBytes() const
{
    const BYTE* element = CatalogElement();
    return element ? ReadVolumeBlock(AsElement(element)).FreeBytes : std::numeric_limits<std::uint64_t>::max();
}

std::string CCatItem::CatalogPath() const
{
    const BYTE* element = CatalogElement();
    return element ? ElementName(AsElement(element)) : std::string();
}

std::string CCatItem::CatalogUserName() const
{
    const BYTE* element = CatalogElement();
    return OrNoName(element ? ReadVolumeBlock(AsElement(element)).UserName : "");
}

std::string CCatItem::CatalogVolumeLabel() const
{
    const BYTE* element = CatalogElement();
    return OrNoName(element ? ReadVolumeBlock(AsElement(element)).VolumeLabel : "");
}

std::string CCatItem::CatalogContent() const
{
    const BYTE* element = CatalogElement();
    return element ? std::string(ReadVolumeBlock(AsElement(element)).Content) : std::string();
}

std::string CCatItem::DriveTypeText() const
{
    const BYTE* element = CatalogElement();
    if (!element)
        return {};
    switch (ReadVolumeBlock(AsElement(element)).DriveType) {
    case platform::system::DRIVE_REMOVABLE:
        return "REMOVABLE";
    case platform::system::DRIVE_CDROM:
        return "CDROM";
    default:
        return "UNKNOWN";
    }
}

std::string CCatItem::GetPathOnMedium(const std::string& driveRoot) const
{
    std::vector<std::string> names;
    if (!NamesBelowCatalog(names))
        return {};
    std::string path = driveRoot;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    for (const std::string& name : names) {
        if (IsUnsafeName(name))
            return {};
        path += '/';
        path += name;
    }
    return path;
}

bool CCatItem::IsMediumPresent(const std::string& driveRoot) const
{
    platform::system::VolumeInformation volume;
    if (!platform::system::GetVolumeInformation(driveRoot, volume) || volume.serial != VolumeSerial())
        return false;
    const std::string path = GetPathOnMedium(driveRoot);
    return !path.empty() && platform::shell::GetFileAttributes(path) != platform::shell::INVALID_FILE_ATTRIBUTES;
}

std::string CCatItem::GetFolderText() const
{
    std::vector<std::string> names;
    if (!NamesBelowCatalog(names) || names.empty())
        return {};
    names.pop_back(); // the item itself
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty())
            text += '\\';
        text += name;
    }
    return text;
}

bool CCatItem::IsIncludedInEnum(DWORD flags) const
{
    if ((record_.Attributes & kAttrHidden) != 0)
        return false;
    return record_.IsFolder() ? (flags & SHCONTF_FOLDERS) != 0 : (flags & SHCONTF_NONFOLDERS) != 0;
}

// --- IExtractIconA ---

HRESULT CCatItem::GetIconLocation(UINT flags, char* iconFile, UINT cchMax, int* index, UINT* outFlags)
{
    if (IsFolder()) {
        CopyTruncated(iconFile, cchMax, std::string("SHELL32.DLL"));
        if (index)
            *index = (flags & GIL_OPENICON) != 0 ? 4 : 3;
        if (outFlags)
            *outFlags = 0;
    } else {
        CopyTruncated(iconFile, cchMax, GetName());
        if (index)
            *index = 0;
        if (outFlags)
            *outFlags = GIL_NOTFILENAME;
    }
    return S_OK;
}

HRESULT CCatItem::Extract(const char*, UINT, HICON* large, HICON* small, UINT)
{
    // A folder's location names the system's folder icons, which exist here
    // only as our own folder picture.
    CImages& images = CImages::Instance();
    if (IsFolder())
        images.FolderIcons(large, small);
    else
        images.IconsForFileName(GetName(), large, small);
    return S_OK;
}

// --- IDropSource ---

HRESULT CCatItem::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
    if (escapePressed)
        return DRAGDROP_S_CANCEL;
    return (keyState & MK_LBUTTON) != 0 ? S_OK : DRAGDROP_S_DROP;
}

HRESULT CCatItem::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// --- IDataObject ---

HRESULT CCatItem::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium)
        return E_INVALIDARG;
    if (format->cfFormat == CF_HDROP && !IsFolder() && IsUsableRequest(*format)) {
        std::string driveRoot;
        if (!FindTheMedium(*this, nullptr, &driveRoot))
            return DV_E_FORMATETC;
        const std::string path = GetPathOnMedium(driveRoot);
        if (path.empty())
            return DV_E_FORMATETC;
        platform::com::GlobalPtr block = BuildDropFilesBlock(path);
        if (!block)
            return E_OUTOFMEMORY;
        FillMedium(medium, std::move(block));
        return S_OK;
    }
    if (format->cfFormat != ShellIdListFormat() || !IsUsableRequest(*format))
        return DV_E_FORMATETC;
    platform::com::GlobalPtr block = BuildIdListBlock(root_.get(), OwnIdList());
    if (!block)
        return E_OUTOFMEMORY;
    FillMedium(medium, std::move(block));
    return S_OK;
}

HRESULT CCatItem::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT CCatItem::QueryGetData(FORMATETC* format)
{
    if (!format)
        return E_INVALIDARG;
    if (format->cfFormat == ShellIdListFormat())
        return S_OK;
    if (format->cfFormat == CF_HDROP && !IsFolder())
        return S_OK;
    return DV_E_FORMATETC;
}

HRESULT CCatItem::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*)
{
    return E_NOTIMPL;
}

HRESULT CCatItem::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

HRESULT CCatItem::EnumFormatEtc(DWORD, IEnumFORMATETC** out)
{
    if (!out)
        return E_POINTER;
    // The interface pointer takes over the creator's reference.
    *out = platform::com::MakeCom<CCatItemFormats>().Detach();
    return S_OK;
}

HRESULT CCatItem::DAdvise(FORMATETC*, DWORD, IUnknown*, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT CCatItem::DUnadvise(DWORD)
{
    return E_NOTIMPL;
}

HRESULT CCatItem::EnumDAdvise(IUnknown**)
{
    return E_NOTIMPL;
}

// --- IContextMenu ---

HRESULT CCatItem::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT, UINT flags)
{
    if (!menu)
        return E_INVALIDARG;
    const bool defaultOnly = (flags & CMF_DEFAULTONLY) != 0;
    const platform::ui::MenuPtr resource = LoadMenu(defaultOnly ? kDefaultOnlyMenu : GetMenuID());
    if (!resource)
        return E_FAIL;
    const UINT highest = MergeMenu(*menu, indexMenu, *resource, idCmdFirst);
    if (!defaultOnly && (flags & CMF_NODEFAULT) == 0)
        menu->SetDefaultItem(idCmdFirst + kCmdOpen, false);
    return static_cast<HRESULT>(highest - idCmdFirst + 1);
}

HRESULT CCatItem::InvokeCommand(CMINVOKECOMMANDINFO* info)
{
    if (!info || !IS_INTRESOURCE(info->lpVerb))
        return E_INVALIDARG;
    switch (reinterpret_cast<UINT_PTR>(info->lpVerb) & 0xFFFF) {
    case kCmdExplore:
        return OnExplore(info);
    case kCmdOpen:
        return OnOpen(info);
    case kCmdSend:
        return OnSend(info);
    case kCmdProperties:
        return OnProperties(info);
    case kCmdDelete:
        return OnDelete(info);
    case kCmdAddToFavorites:
        return OnAddToFavorites(info);
    case kCmdExport:
        return OnExport(info);
    default:
        return E_NOTIMPL;
    }
}

HRESULT CCatItem::GetCommandString(UINT_PTR idCmd, UINT type, UINT*, char* name, UINT cchMax)
{
    switch (type) {
    case GCS_VERBA:
    case GCS_VERBW:
        if (idCmd != kCmdRename)
            return E_NOTIMPL;
        return CopyCommandText(type, name, cchMax, kRenameVerb);
    case GCS_HELPTEXTA:
    case GCS_HELPTEXTW: {
        const UINT id = static_cast<UINT>(idCmd);
        if (idCmd > 0xFFFF || !HasString(id))
            return S_FALSE;
        return CopyCommandText(type, name, cchMax, LoadString(id));
    }
    default:
        return E_NOTIMPL;
    }
}

} // namespace pellidor
