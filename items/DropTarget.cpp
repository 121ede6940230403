#include "items/DropTarget.h"

#include "items/CatItem.h"
#include "items/DataTransfer.h"
#include "module/ChangeNotify.h"
#include "namespace/IdList.h"
#include "platform/shell/FileOperation.h"

#include <optional>
#include <string>

namespace pellidor {

namespace {

// Only catalogs and shelf folders move on the shelf, and only the first
// dragged item decides.
bool IsShelfItem(const IdListBlock& block)
{
    if (block.items.empty())
        return false;
    const LPCITEMIDLIST last = LastElement(block.items.front().Get());
    return IsOwnElement(last, kKindShelfFolder) || IsOwnElement(last, kKindCatalog);
}

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// A move of `source` into the directory `destination` that can be made
// (not onto itself, not into its own sub-folder) and changes something
// (not where it already is).
bool MovesSomewhere(const std::string& source, const std::string& destination)
{
    const std::string from = WithoutTrailingSlash(source);
    const std::string to = WithoutTrailingSlash(destination);
    if (from.empty() || to.empty() || to == from || to.rfind(from + "/", 0) == 0)
        return false;
    const std::size_t slash = from.rfind('/');
    return slash == std::string::npos || from.substr(0, slash == 0 ? 1 : slash) != to;
}

// The data object's identifier-list medium; released when this dies.
class IdListMedium {
public:
    explicit IdListMedium(IDataObject* data)
    {
        if (data == nullptr)
            return;
        FORMATETC format;
        format.cfFormat = ShellIdListFormat();
        format.ptd = nullptr;
        format.dwAspect = DVASPECT_CONTENT;
        format.lindex = -1;
        format.tymed = TYMED_HGLOBAL;
        held_ = SUCCEEDED(data->GetData(&format, &medium_));
    }
    ~IdListMedium()
    {
        if (held_)
            ReleaseStgMedium(&medium_);
    }
    IdListMedium(const IdListMedium&) = delete;
    IdListMedium& operator=(const IdListMedium&) = delete;

    // The block's lists, checked against the block's size; nothing when
    // there is no block or it does not hold what it claims.
    std::optional<IdListBlock> Block() const
    {
        if (!held_ || medium_.tymed != TYMED_HGLOBAL || medium_.hGlobal == nullptr)
            return std::nullopt;
        return ReadIdListBlock(platform::com::GlobalData(medium_.hGlobal), platform::com::GlobalSize(medium_.hGlobal));
    }

private:
    STGMEDIUM medium_;
    bool held_ = false;
};

} // namespace

CDropTarget::CDropTarget(CCatItem* folder) : folder_(platform::com::ComPtr<CCatItem>::AddRefed(folder))
{
}

CDropTarget::~CDropTarget() = default;

bool CDropTarget::HasDestination() const
{
    // A folder inside a catalog (or a catalog itself) names no directory on
    // the disk: a move there would put the item outside the shelf.
    return folder_ && folder_->AcceptsDrops() && !folder_->GetPath().empty();
}

HRESULT CDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    if (effect == nullptr)
        return S_OK;
    *effect = DROPEFFECT_NONE;
    if (!HasDestination())
        return S_OK;
    const IdListMedium medium(data);
    const auto block = medium.Block();
    if (!block || !IsShelfItem(*block))
        return S_OK;
    // Onto itself or where it is the move would fail with an error or do
    // nothing: the place shows that it takes nothing.
    const auto item = CreateItemObject(block->folder.Get(), block->items.front().Get());
    if (item && MovesSomewhere(item->GetPath(), folder_->GetPath()))
        *effect = DROPEFFECT_MOVE;
    return S_OK;
}

HRESULT CDropTarget::DragOver(DWORD, POINTL, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT CDropTarget::DragLeave()
{
    return E_NOTIMPL;
}

HRESULT CDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD*)
{
    if (!HasDestination())
        return S_OK;
    const IdListMedium medium(data);
    const auto block = medium.Block();
    // Tested again: a drop may come without an enter, and anything but a
    // catalog or shelf folder would name no file of the shelf.
    if (!block || !IsShelfItem(*block))
        return S_OK;
    const auto item = CreateItemObject(block->folder.Get(), block->items.front().Get());
    if (!item)
        return S_OK;
    const std::string source = item->GetPath();
    const std::string destination = folder_->GetPath();
    if (!MovesSomewhere(source, destination))
        return S_OK;
    if (platform::shell::FileOperation(
            nullptr, platform::shell::FO_MOVE, {source}, destination, platform::shell::FOF_ALLOWUNDO)
        == 0)
        NotifyCatalogsChanged();
    return S_OK;
}

} // namespace pellidor
