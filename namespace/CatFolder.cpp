#include "namespace/CatFolder.h"

#include "catalog/CatFile.h"
#include "catalog/ListWalkGuard.h"
#include "namespace/CatList.h"
#include "namespace/FolderViews.h"
#include "namespace/IdList.h"
#include "platform/shell/Execute.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace pellidor {

using platform::com::ComPtr;
using platform::com::MakeCom;

namespace {

// The longest prefix of `text` that fits `capacity` bytes with its NUL and
// does not end inside a UTF-8 sequence.
std::size_t FittingLength(const std::string& text, std::size_t capacity)
{
    if (text.size() < capacity)
        return text.size();
    std::size_t length = capacity - 1;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

} // namespace

void CCatFolder::Export(IExportWriter& writer)
{
    // A folder writes no line of its own: its files write theirs at its
    // place among its siblings.
    WalkCatalogTree([&writer](CCatItem& entry) {
        if (!entry.IsFolder())
            entry.Export(writer);
    });
}

void CCatFolder::AddToStatistics(ItemStatistics& statistics)
{
    ++statistics.Folders;
    AddTreeToStatistics(statistics);
}

void CCatFolder::AddTreeToStatistics(ItemStatistics& statistics)
{
    WalkCatalogTree([&statistics](CCatItem& entry) {
        if (entry.IsFolder())
            ++statistics.Folders;
        else
            entry.AddToStatistics(statistics);
    });
}

void CCatFolder::WalkCatalogTree(const std::function<void(CCatItem&)>& visit)
{
    const std::string catalog = CatalogPath();
    const CatalogReadScope keepOpen(catalog);
    CListWalkGuard guard = CListWalkGuard::ForCatalog(catalog);
    if (guard.Enter(Size()))
        WalkSubtree(guard, visit);
}

void CCatFolder::WalkSubtree(CListWalkGuard& guard, const std::function<void(CCatItem&)>& visit)
{
    if (!LoadChildren(false))
        return;
    for (const auto& child : children_) {
        visit(*child);
        // Only folders make CCatFolder children, and a folder whose list was
        // met before is walked as one without a list.
        auto* folder = dynamic_cast<CCatFolder*>(child.Get());
        if (folder == nullptr || !guard.Enter(folder->Size()))
            continue;
        const bool loadedBefore = folder->childrenLoaded_;
        folder->WalkSubtree(guard, visit);
        if (!loadedBefore)
            folder->ReleaseChildren();
    }
}

int CCatFolder::GetSortGroup()
{
    return 1;
}

UINT CCatFolder::GetMenuID()
{
    return 1014;
}

HRESULT CCatFolder::OpenInShell(CMINVOKECOMMANDINFO* info, const char* verb)
{
    const IdListPtr full(GetFullIDList());
    platform::shell::ShellExecuteIdList(
        info != nullptr ? info->hwnd : nullptr, verb, full.get(), "folder", SW_SHOWNORMAL);
    return S_OK;
}

HRESULT CCatFolder::OnExplore(CMINVOKECOMMANDINFO* info)
{
    return OpenInShell(info, "explore");
}

HRESULT CCatFolder::OnOpen(CMINVOKECOMMANDINFO* info)
{
    return OpenInShell(info, "open");
}

HRESULT CCatFolder::OnProperties(CMINVOKECOMMANDINFO* info)
{
    // The sheet picks the folder page by IsFolder.
    return CCatItem::OnProperties(info);
}

LPITEMIDLIST CCatFolder::GetLastID()
{
    return CopyLastElementAs(OwnIdList(), kKindFolder).release();
}

HRESULT CCatFolder::GetShellAttributes(ULONG* mask)
{
    if (mask == nullptr)
        return E_INVALIDARG;
    *mask &= SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
    return S_OK;
}

HRESULT CCatFolder::FillDisplayName(DWORD flags, const std::string& name, STRRET* out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    const std::string text = (flags & SHGDN_FORADDRESSBAR) != 0 ? "Pellidor::" + name : name;
    const std::size_t length = FittingLength(text, sizeof out->cStr);
    out->uType = STRRET_CSTR;
    std::memcpy(out->cStr, text.data(), length);
    out->cStr[length] = '\0';
    return S_OK;
}

HRESULT CCatFolder::GetDisplayName(DWORD flags, STRRET* out)
{
    return FillDisplayName(flags, GetName(), out);
}

ComPtr<IShellView> CCatFolder::CreateView(HWND)
{
    IFolderViews* views = FolderViews();
    return views != nullptr ? views->MakeCatalogView(*this) : nullptr;
}

bool CCatFolder::LoadChildren(bool reload)
{
    if (reload)
        ReleaseChildren();
    if (childrenLoaded_)
        return true;
    {
        // One list read, the file closed again before the children are used.
        CCatFile file;
        file.SetPath(CatalogPath());
        CatRecord record{};
        const SharedIdList& root = SharedRootIdList();
        const SharedIdChain own = OwnIdChain();
        if (file.ReadFirst(Size(), &record)) {
            children_.reserve(static_cast<std::size_t>(file.ListCount()));
            do {
                if (record.IsFolder())
                    AppendChild(MakeCom<CCatFolder>(root, own, &record, kKindFolder));
                else
                    AppendChild(MakeCom<CCatItem>(root, own, &record, kKindFile));
            } while (file.ReadNext(&record));
        }
    }
    childrenLoaded_ = true;
    return true;
}

CCatItem* CCatFolder::GetChild(int index) const
{
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return children_[static_cast<std::size_t>(index)].Get();
}

void CCatFolder::ReleaseChildren()
{
    children_.clear();
    childrenLoaded_ = false;
}

void CCatFolder::AppendChild(ComPtr<CCatItem> child)
{
    if (child)
        children_.push_back(std::move(child));
}

std::optional<CheckedIdList> CCatFolder::CheckGiven(LPCITEMIDLIST idl)
{
    return CheckIdList(idl, IdListContent::Own);
}

ComPtr<CCatItem> CCatFolder::MakeChildObject(const CheckedIdList& idl) const
{
    const IdListPtr joined = JoinIdLists(OwnIdList(), idl.Get());
    if (joined == nullptr)
        return nullptr;
    return CreateItemObject(RootIdList(), joined.get());
}

ComPtr<CCatItem> CCatFolder::MakeObjectAsGiven(const CheckedIdList& idl) const
{
    return CreateItemObject(RootIdList(), idl.Get());
}

HRESULT CCatFolder::ParseDisplayName(HWND, IBindCtx*, const WCHAR*, ULONG*, LPITEMIDLIST* out, ULONG*)
{
    if (out != nullptr)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT CCatFolder::EnumObjects(HWND, DWORD flags, IEnumIDList** out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    const auto list = MakeCom<CCatList>(this, flags);
    return list->QueryInterface(IEnumIDList::kIid, reinterpret_cast<void**>(out));
}

HRESULT CCatFolder::BindToObject(LPCITEMIDLIST idl, IBindCtx*, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    const auto given = CheckGiven(idl);
    if (!given)
        return E_INVALIDARG;
    const auto object = MakeChildObject(*given);
    if (!object)
        return E_OUTOFMEMORY;
    return object->QueryInterface(iid, out);
}

HRESULT CCatFolder::BindToStorage(LPCITEMIDLIST idl, IBindCtx*, REFIID, void** out)
{
    if (out != nullptr)
        *out = nullptr;
    // Nothing here reads the list, but a caller learns of a broken one the
    // same way from every method.
    if (!CheckGiven(idl))
        return E_INVALIDARG;
    return E_NOTIMPL;
}

HRESULT CCatFolder::CompareIDs(LPARAM, LPCITEMIDLIST idl1, LPCITEMIDLIST idl2)
{
    const auto given1 = CheckGiven(idl1);
    const auto given2 = CheckGiven(idl2);
    if (!given1 || !given2)
        return E_INVALIDARG;
    // The code field is 16 bits wide: keep the sign, bound the size.
    const int result = std::clamp(CompareIdLists(given1->Get(), given2->Get()), -32768, 32767);
    return MAKE_HRESULT(0, 0, static_cast<unsigned>(static_cast<unsigned short>(result)));
}

HRESULT CCatFolder::CreateViewObject(HWND owner, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    if (iid == IDropTarget::kIid)
        return CreateDropTarget()->QueryInterface(iid, out);
    const auto view = CreateView(owner);
    if (!view)
        return E_NOTIMPL;
    return view->QueryInterface(iid, out);
}

HRESULT CCatFolder::GetAttributesOf(UINT count, LPCITEMIDLIST* idls, ULONG* inOut)
{
    if (inOut == nullptr || (count > 0 && idls == nullptr))
        return E_INVALIDARG;
    if (count == 0)
        return GetShellAttributes(inOut);
    // All checked before any is used: a bad list leaves the mask as it came.
    // No room is reserved by `count`: it is the caller's word alone.
    std::vector<CheckedIdList> given;
    for (UINT i = 0; i < count; ++i) {
        auto checked = CheckGiven(idls[i]);
        if (!checked)
            return E_INVALIDARG;
        given.push_back(*checked);
    }
    for (const CheckedIdList& idl : given) {
        const auto object = MakeObjectAsGiven(idl);
        if (!object)
            return E_OUTOFMEMORY;
        object->GetShellAttributes(inOut);
    }
    return S_OK;
}

HRESULT CCatFolder::GetUIObjectOf(HWND, UINT count, LPCITEMIDLIST* idls, REFIID iid, UINT*, void** out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    if (count != 1)
        return E_NOINTERFACE;
    const auto given = idls != nullptr ? CheckGiven(idls[0]) : std::nullopt;
    if (!given)
        return E_INVALIDARG;
    const auto object = MakeChildObject(*given);
    if (!object)
        return E_OUTOFMEMORY;
    if (iid == IDropTarget::kIid && object->AcceptsDrops())
        return object->CreateDropTarget()->QueryInterface(iid, out);
    return object->QueryInterface(iid, out);
}

HRESULT CCatFolder::GetDisplayNameOf(LPCITEMIDLIST idl, DWORD flags, STRRET* out)
{
    const auto given = CheckGiven(idl);
    if (!given)
        return E_INVALIDARG;
    const auto object = MakeObjectAsGiven(*given);
    if (!object)
        return E_OUTOFMEMORY;
    return object->GetDisplayName(flags, out);
}

HRESULT CCatFolder::SetNameOf(HWND owner, LPCITEMIDLIST idl, const WCHAR* name, DWORD, LPITEMIDLIST* out)
{
    if (out != nullptr)
        *out = nullptr;
    const auto given = CheckGiven(idl);
    if (!given)
        return E_INVALIDARG;
    const auto object = MakeChildObject(*given);
    if (!object)
        return E_OUTOFMEMORY;
    return object->SetNameOf(owner, name);
}

} // namespace pellidor
