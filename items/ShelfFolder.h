#pragma once
// CShelfFolder: the shelf root, and every sub-folder of a catalog directory.
// The shelf lives on the disk: a shelf folder is a directory, a catalog a
// ".pld" file in it. The root shows the contents of every directory named by
// a value of the CatDir key; a sub-folder shows its own directory.

#include "module/ClassIds.h"
#include "namespace/CatFolder.h"

#include <string>

namespace pellidor {

// The shelf's seven columns.
enum ShelfColumn : int {
    kShelfColumnName = 0,
    kShelfColumnOriginal = 1,
    kShelfColumnType = 2,
    kShelfColumnTotalSize = 3,
    kShelfColumnFreeSpace = 4,
    kShelfColumnDate = 5,
    kShelfColumnContent = 6,
    kShelfColumnCount
};
// The heading string of a shelf column (2001 "Name", 2006 "Original", …).
UINT ShelfColumnHeadingId(int column);

class CShelfFolder : public platform::com::ComImplements<CCatFolder, IPersistFolder> {
public:
    // The root: no own list, an empty name; its root list comes with
    // IPersistFolder::Initialize.
    CShelfFolder();
    // From an identifier the shell hands back.
    CShelfFolder(LPCITEMIDLIST root, LPCITEMIDLIST own);
    // From a scan: `findData` is the directory's entry with its full path as
    // the name; a shelf-folder element for it is appended to `parent`.
    CShelfFolder(LPCITEMIDLIST root, LPCITEMIDLIST parent, const CatRecord& findData);

    bool IsRoot() const { return Record().Name[0] == '\0'; }

    // CCatItem operations.
    HRESULT SetNameOf(HWND owner, const WCHAR* newName) override;
    using CCatFolder::SetNameOf;
    bool Rename(HWND owner, const std::string& newName) override;
    void AddToStatistics(ItemStatistics& statistics) override;
    std::string GetPath() override;
    int GetSortGroup() override;
    std::string GetColumnText(int column, bool sortKey) override;
    HRESULT OnDelete(CMINVOKECOMMANDINFO* info) override;
    UINT GetMenuID() override;
    std::string GetName() override;
    LPITEMIDLIST GetLastID() override;
    HRESULT GetShellAttributes(ULONG* mask) override;
    HRESULT GetDisplayName(DWORD flags, STRRET* out) override;
    bool AcceptsDrops() override;
    platform::com::ComPtr<IShellView> CreateView(HWND owner) override;
    bool LoadChildren(bool reload) override;

    // Makes the directory `name` in this folder's directory and announces
    // the change. False with the Windows error in `error` when it cannot; a
    // name that would leave the directory (empty, ".", "..", holding "/") is
    // refused with 123.
    bool CreateSubFolder(const std::string& name, DWORD* error);

    // IPersistFolder
    HRESULT GetClassID(CLSID* out) override;
    HRESULT Initialize(LPCITEMIDLIST root) override;

protected:
    ~CShelfFolder() override = default;
    IUnknown* FindInterface(REFIID iid) override;

private:
    void ScanDirectory(const std::string& directory);
    void ScanCatDirValues();
};

} // namespace pellidor
