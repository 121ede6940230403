#pragma once
// CCatItem: the object behind one entry of the catalog namespace, a file
// recorded in a catalog, and the base of CCatFolder (a catalogued folder),
// CShelfItem (a catalog on the shelf) and CShelfFolder (the shelf and its
// folders). Views, folders, pages and the search ask it for everything that
// depends on the entry: column texts, order, icon, attributes, menu and
// commands, transfer data and the export line.

#include "catalog/CatRecord.h"
#include "module/ModuleLock.h"
#include "namespace/IdList.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Memory.h"
#include "platform/com/ShellInterfaces.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellidor {

// Filled by AddToStatistics; the caller zeroes it before the walk.
struct ItemStatistics {
    std::int32_t Files = 0;
    std::int32_t Folders = 0;
    std::int32_t Catalogs = 0;
    std::int32_t ShelfFolders = 0;
    std::uint64_t TotalSize = 0;
};

// Where Export writes: one line per call, the line end added by the writer
// (CR LF in an export file).
class IExportWriter {
public:
    virtual void WriteLine(std::string_view line) = 0;

protected:
    ~IExportWriter() = default;
};

// The columns of a catalogued entry; the views bind them to their headings.
enum ItemColumn : int {
    kColumnName = 0,
    kColumnSize = 1,
    kColumnType = 2,
    kColumnDate = 3,
    kColumnAttributes = 4,
    kColumnVolume = 5,
    kColumnFolder = 6,
    kItemColumnCount
};
// The heading string of an item column (2001 "Name", 2003 "Total Size", …).
UINT ItemColumnHeadingId(int column);

class CCatItem : public platform::com::ComImplements<platform::com::ComObject, IExtractIconA, IDropSource, IDataObject,
                     IContextMenu> {
public:
    // No identifier: record all zero, name empty.
    CCatItem();
    // Copies both lists; record and name come from the own list's last element.
    CCatItem(LPCITEMIDLIST root, LPCITEMIDLIST own);
    // The own list is `parent` followed by a new element of `kind` for
    // `record` (none: zeroes).
    CCatItem(LPCITEMIDLIST root, LPCITEMIDLIST parent, const CatRecord* record, DWORD kind);
    // As above, sharing both lists with the folder that makes its children:
    // the child keeps no list of its own. A catalog element (larger than
    // the others, with fields beyond the record) is stored with its list
    // whole.
    CCatItem(SharedIdList root, SharedIdChain parent, const CatRecord* record, DWORD kind);

    // The virtual operations, in their slot order.
    virtual HRESULT SetNameOf(HWND owner, const WCHAR* newName);
    virtual bool Rename(HWND owner, const std::string& newName);
    virtual void Export(IExportWriter& writer);
    virtual HRESULT OnExport(CMINVOKECOMMANDINFO* info);
    virtual void AddToStatistics(ItemStatistics& statistics);
    virtual std::string GetPath();
    virtual int GetSortGroup();
    virtual HRESULT OnAddToFavorites(CMINVOKECOMMANDINFO* info);
    virtual std::string GetColumnText(int column, bool sortKey);
    virtual std::string GetTypeName();
    virtual HRESULT OnDelete(CMINVOKECOMMANDINFO* info);
    virtual UINT GetMenuID();
    virtual HRESULT OnExplore(CMINVOKECOMMANDINFO* info);
    virtual HRESULT OnOpen(CMINVOKECOMMANDINFO* info);
    virtual HRESULT OnProperties(CMINVOKECOMMANDINFO* info);
    virtual HRESULT OnSend(CMINVOKECOMMANDINFO* info);
    virtual std::string GetName();
    virtual bool IsFolder();
    // Negative, 0 or positive; groups first (shelf folders, catalogs,
    // folders, files), then the column's sort key without regard to case.
    int CompareTo(CCatItem& other, int column);
    // What CompareTo compares, made once: a sort of many items makes each
    // item's key once instead of twice per comparison.
    struct SortKey {
        int group = 0;
        QString text; // the column's sort key, case-folded
    };
    SortKey MakeSortKey(int column);
    // CompareTo of the two items the keys were made of.
    static int CompareSortKeys(const SortKey& mine, const SortKey& theirs);
    virtual int GetIconIndex();
    // New lists, owned by the caller (free with the shell allocator).
    LPITEMIDLIST GetFullIDList() const;
    virtual LPITEMIDLIST GetLastID();
    virtual HRESULT GetShellAttributes(ULONG* mask);
    virtual HRESULT GetDisplayName(DWORD flags, STRRET* out);
    // Whether a drop onto the item moves what is dropped into the item's
    // directory: true for a shelf folder only.
    virtual bool AcceptsDrops();
    // The item's drop target, with one reference. It refuses every drag
    // when the item takes no drops.
    platform::com::ComPtr<IDropTarget> CreateDropTarget();

    // The record fields.
    const CatRecord& Record() const { return record_; }
    DWORD Attributes() const { return record_.Attributes; }
    std::int32_t CreationTime() const { return record_.CreationTime; }
    std::int32_t LastAccessTime() const { return record_.LastAccessTime; }
    std::int32_t LastWriteTime() const { return record_.LastWriteTime; }
    DWORD Size() const { return record_.Size; }
    LPCITEMIDLIST RootIdList() const { return root_.get(); }
    // Made whole on the first call when the item shares its parent's list.
    LPCITEMIDLIST OwnIdList() const { return SharedOwnIdList().get(); }
    const SharedIdList& SharedRootIdList() const { return root_; }
    const SharedIdList& SharedOwnIdList() const;
    // The own list as a chain, for the children to share without a copy of
    // the path above them.
    SharedIdChain OwnIdChain() const;

    // The catalog this item belongs to: the first element of the own list
    // after the shelf-folder elements, when it is a catalog element. Every
    // value falls back as noted when there is none.
    DWORD VolumeSerial() const; // -1
    std::int32_t CatalogTime() const; // -1
    std::uint64_t TotalBytes() const; // -1
    std::uint64_t FreeBytes() const; // -1
    std::string CatalogPath() const; // empty
    std::string CatalogUserName() const; // right-trimmed; "<no name>" when empty
    std::string CatalogVolumeLabel() const; // right-trimmed; "<no name>" when empty
    std::string CatalogContent() const; // empty
    std::string DriveTypeText() const; // "REMOVABLE", "CDROM", "UNKNOWN"; empty

    // The file's path on a medium mounted at `driveRoot` (the drive root
    // without its trailing "/", then "/" and each element's name below the
    // catalog). Empty when a name below the catalog could leave the root
    // (empty, ".", "..", or holding "/").
    std::string GetPathOnMedium(const std::string& driveRoot) const;
    // The medium at `driveRoot` has the catalog's serial and holds the entry.
    bool IsMediumPresent(const std::string& driveRoot) const;
    // The folder path inside the catalog down to the parent, "\"-joined.
    std::string GetFolderText() const;
    bool IsIncludedInEnum(DWORD flags) const;

    // IExtractIconA
    HRESULT GetIconLocation(UINT flags, char* iconFile, UINT cchMax, int* index, UINT* outFlags) override;
    HRESULT Extract(const char* file, UINT index, HICON* large, HICON* small, UINT iconSize) override;
    // IDropSource
    HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT GiveFeedback(DWORD effect) override;
    // IDataObject
    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT QueryGetData(FORMATETC* format) override;
    HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT DAdvise(FORMATETC* format, DWORD flags, IUnknown* sink, DWORD* connection) override;
    HRESULT DUnadvise(DWORD connection) override;
    HRESULT EnumDAdvise(IUnknown** out) override;
    // IContextMenu
    HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT flags) override;
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, char* name, UINT cchMax) override;

protected:
    ~CCatItem() override;

    // The catalog element of the own list, or null.
    const BYTE* CatalogElement() const;
    CatRecord& MutableRecord() { return record_; }
    // Replaces the own list (derived classes that rebuild their element).
    void SetOwnIdList(IdListPtr own);
    // Replaces the root list (the shelf root learns it from Initialize).
    void SetRootIdList(IdListPtr root);

private:
    // Calls `visit` with each element of the own list in order, without
    // making it whole, until `visit` answers false.
    template <class Visit>
    void VisitOwnElements(Visit visit) const;
    // The names of the own list's elements below its catalog element; false
    // when there is no catalog element.
    bool NamesBelowCatalog(std::vector<std::string>& names) const;
    // The element after parent_ as one list, in `buffer`; null when own_
    // holds the whole list.
    using TailBuffer = BYTE[kElementSize + kTerminatorSize];
    LPCITEMIDLIST WriteTail(TailBuffer& buffer) const;

    ModuleLock lock_;
    SharedIdList root_;
    // The own list is either whole in own_, or parent_ (shared with the
    // siblings, and by its start with the folders' above) followed by one
    // element of kind tailKind_ for record_. A folder makes one item per
    // entry, and a private copy of the path above each entry would cost its
    // size again per entry; the element itself is written from the record
    // when asked for, so an entry costs its object alone, and own_ is made
    // only when a caller needs the list in one piece (an item is used by one
    // thread at a time, so that needs no lock).
    SharedIdChain parent_;
    bool hasTail_ = false;
    DWORD tailKind_ = 0;
    mutable SharedIdList own_;
    CatRecord record_{};
};

// A new object for the own list's last element (folder element CCatFolder,
// catalog element CShelfItem, shelf-folder element CShelfFolder, else
// CCatItem), holding one reference; null when it cannot be made. Both lists
// are trusted: lists we made, or lists from outside that passed CheckIdList
// at the door that received them (the root as the shell's elements, the own
// list as ours).
platform::com::ComPtr<CCatItem> CreateItemObject(LPCITEMIDLIST root, LPCITEMIDLIST own);

} // namespace pellidor
