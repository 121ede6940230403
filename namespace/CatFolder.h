#pragma once
// CCatFolder: a folder recorded in a catalog, seen as a shell folder. Its
// children are read from the catalog lazily, one entry list per folder, and
// kept until a reload, so re-enumerating or sorting costs no file access.
// CShelfItem (a catalog's root folder) and CShelfFolder (the shelf) derive
// from it.
//
// Not thread-safe: the search walks folders on its own thread, the shell on
// its window threads, but one folder object is never used by two at once.

#include "items/CatItem.h"
#include "platform/com/ComPtr.h"

#include <functional>
#include <optional>
#include <vector>

namespace pellidor {

class CListWalkGuard;

class CCatFolder : public platform::com::ComImplements<CCatItem, IShellFolder> {
public:
    using ComImplements::ComImplements;

    // CCatItem operations, in their slot order. Export and AddToStatistics
    // walk the folder's whole subtree, each list of the catalog once.
    void Export(IExportWriter& writer) override;
    void AddToStatistics(ItemStatistics& statistics) override;
    int GetSortGroup() override;
    UINT GetMenuID() override;
    HRESULT OnExplore(CMINVOKECOMMANDINFO* info) override;
    HRESULT OnOpen(CMINVOKECOMMANDINFO* info) override;
    HRESULT OnProperties(CMINVOKECOMMANDINFO* info) override;
    LPITEMIDLIST GetLastID() override;
    HRESULT GetShellAttributes(ULONG* mask) override;
    HRESULT GetDisplayName(DWORD flags, STRRET* out) override;

    // The folder's view, with one reference; null when none can be made.
    virtual platform::com::ComPtr<IShellView> CreateView(HWND owner);
    // Makes the children current: true when they are. A folder whose list
    // cannot be read ends up loaded with no children until a reload.
    virtual bool LoadChildren(bool reload);

    int GetChildCount() const { return static_cast<int>(children_.size()); }
    // No new reference; valid until ReleaseChildren or a reload.
    CCatItem* GetChild(int index) const;
    void ReleaseChildren();

    // IShellFolder
    HRESULT ParseDisplayName(
        HWND owner, IBindCtx* context, const WCHAR* name, ULONG* eaten, LPITEMIDLIST* out, ULONG* attributes) override;
    HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** out) override;
    HRESULT BindToObject(LPCITEMIDLIST idl, IBindCtx* context, REFIID iid, void** out) override;
    HRESULT BindToStorage(LPCITEMIDLIST idl, IBindCtx* context, REFIID iid, void** out) override;
    HRESULT CompareIDs(LPARAM column, LPCITEMIDLIST idl1, LPCITEMIDLIST idl2) override;
    HRESULT CreateViewObject(HWND owner, REFIID iid, void** out) override;
    HRESULT GetAttributesOf(UINT count, LPCITEMIDLIST* idls, ULONG* inOut) override;
    HRESULT GetUIObjectOf(HWND owner, UINT count, LPCITEMIDLIST* idls, REFIID iid, UINT* reserved, void** out) override;
    HRESULT GetDisplayNameOf(LPCITEMIDLIST idl, DWORD flags, STRRET* out) override;
    HRESULT SetNameOf(HWND owner, LPCITEMIDLIST idl, const WCHAR* name, DWORD flags, LPITEMIDLIST* out) override;
    using CCatItem::SetNameOf;

protected:
    ~CCatFolder() override = default;

    // Calls `visit` for every entry below this folder, depth first in
    // catalog order (a sub-folder's entries right after the sub-folder),
    // reading each list of the catalog at most once and keeping the catalog
    // open throughout. A sub-folder's children are released when its
    // subtree is done unless they were loaded before, so the walk holds
    // O(depth) lists.
    void WalkCatalogTree(const std::function<void(CCatItem&)>& visit);
    // Counts every entry below this folder into `statistics`.
    void AddTreeToStatistics(ItemStatistics& statistics);

    void AppendChild(platform::com::ComPtr<CCatItem> child);
    bool ChildrenLoaded() const { return childrenLoaded_; }
    void SetChildrenLoaded(bool loaded) { childrenLoaded_ = loaded; }
    // The door of every method that takes a list relative to this folder:
    // the list checked as one of ours, or nothing (the method answers
    // E_INVALIDARG).
    static std::optional<CheckedIdList> CheckGiven(LPCITEMIDLIST idl);
    // The item for a checked `idl` relative to this folder (joined with the
    // own list) or as given; null when it cannot be made.
    platform::com::ComPtr<CCatItem> MakeChildObject(const CheckedIdList& idl) const;
    platform::com::ComPtr<CCatItem> MakeObjectAsGiven(const CheckedIdList& idl) const;
    // The "Pellidor::NAME" form of the address bar, or `name` alone.
    static HRESULT FillDisplayName(DWORD flags, const std::string& name, STRRET* out);

private:
    void WalkSubtree(CListWalkGuard& guard, const std::function<void(CCatItem&)>& visit);
    // Runs "explore" or "open" on the full list with the class "folder".
    HRESULT OpenInShell(CMINVOKECOMMANDINFO* info, const char* verb);

    std::vector<platform::com::ComPtr<CCatItem>> children_;
    bool childrenLoaded_ = false;
};

} // namespace pellidor
