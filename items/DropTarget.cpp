#include "items/DropTarget.h"

#include "items/CatItem.h"
#include "module/ChangeNotify.h"
#include "namespace/IdList.h"
#include "platform/shell/FileOperation.h"
#include "platform/ui/Messages.h"

#include <cstring>
#include <optional>

namespace pellidor {

namespace {

// The identifier-list block handed over by a drag: the folder list and the
// first item's list, both checked to lie inside the block.
struct DroppedItem {
    const BYTE* folder = nullptr;
    const BYTE* item = nullptr;
    std::size_t itemSpace = 0; // bytes from `item` to the block's end
};

DWORD ReadDword(const BYTE* block, std::size_t offset)
{
    DWORD value = 0;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}

std::optional<DroppedItem> ParseBlock(const BYTE* block, std::size_t size)
{
    constexpr std::size_t kFixedPart = 12;
    if (block == nullptr || size < kFixedPart || ReadDword(block, 0) < 1)
        return std::nullopt;
    const DWORD folderOffset = ReadDword(block, 4);
    const DWORD itemOffset = ReadDword(block, 8);
    if (folderOffset >= size || itemOffset >= size)
        return std::nullopt;
    if (IdListSizeWithin(block + folderOffset, size - folderOffset) == 0)
        return std::nullopt;
    return DroppedItem{block + folderOffset, block + itemOffset, size - itemOffset};
}

// Only catalogs and shelf folders move on the shelf.
bool IsShelfItem(const DroppedItem& dropped)
{
    return IsOwnIdList(dropped.item, dropped.itemSpace, kKindShelfFolder)
        || IsOwnIdList(dropped.item, dropped.itemSpace, kKindCatalog);
}

// The data object's identifier-list medium; released when this dies.
class IdListMedium {
public:
    explicit IdListMedium(IDataObject* data)
    {
        if (data == nullptr)
            return;
        FORMATETC format;
        format.cfFormat = static_cast<CLIPFORMAT>(platform::ui::RegisterClipboardFormat("Shell IDList Array"));
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

    std::optional<DroppedItem> Item() const
    {
        if (!held_ || medium_.tymed != TYMED_HGLOBAL || medium_.hGlobal == nullptr)
            return std::nullopt;
        return ParseBlock(platform::com::GlobalData(medium_.hGlobal), platform::com::GlobalSize(medium_.hGlobal));
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
    const auto dropped = medium.Item();
    if (dropped && IsShelfItem(*dropped))
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
    const auto dropped = medium.Item();
    // Checked again: a drop may come without an enter, and anything but a
    // catalog or shelf folder would name no file of the shelf.
    if (!dropped || !IsShelfItem(*dropped))
        return S_OK;
    const auto item = CreateItemObject(
        reinterpret_cast<LPCITEMIDLIST>(dropped->folder), reinterpret_cast<LPCITEMIDLIST>(dropped->item));
    if (!item)
        return S_OK;
    const std::string source = item->GetPath();
    const std::string destination = folder_->GetPath();
    if (source.empty() || destination.empty())
        return S_OK;
    if (platform::shell::FileOperation(
            nullptr, platform::shell::FO_MOVE, {source}, destination, platform::shell::FOF_ALLOWUNDO)
        == 0)
        NotifyCatalogsChanged();
    return S_OK;
}

} // namespace pellidor
