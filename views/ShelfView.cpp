#include "views/ShelfView.h"

#include "items/ShelfFolder.h"
#include "module/Settings.h"
#include "namespace/CatFolder.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Messages.h"
#include "views/ViewList.h"
#include "views/ViewWnd.h"

#include <QPointer>

namespace pellidor {

namespace {

constexpr UINT kShelfFileMenu = 1044;
constexpr UINT kShelfViewMenu = 1045;

// Drops on a shelf folder's entry go into that folder, drops anywhere else
// into the folder shown.
void AcceptDrops(CViewList& list, CShelfFolder& shown)
{
    auto locate = [list = QPointer<CViewList>(&list),
                      shownFolder = platform::com::ComPtr<CShelfFolder>::AddRefed(&shown)](POINTL point) {
        platform::ui::DropPlace place;
        CCatItem* entry = list ? list->ItemAtPoint(QPoint(point.x, point.y)) : nullptr;
        if (entry != nullptr && entry->AcceptsDrops()) {
            place.key = QByteArray("entry/").append(entry->GetName().c_str());
            place.target
                = [held = platform::com::ComPtr<CCatItem>::AddRefed(entry)] { return held->CreateDropTarget(); };
        } else {
            place.target = [shownFolder] { return shownFolder->CreateDropTarget(); };
        }
        return place;
    };
    const platform::com::ComPtr<IDropTarget> target = platform::ui::CreateDropTargetSwitch(std::move(locate));
    if (!target)
        return;
    for (QWidget* window : list.DropWindows())
        platform::ui::RegisterDragDrop(window, target.Get());
}

} // namespace

CShelfView::CShelfView(platform::com::ComPtr<CShelfFolder> folder)
    : CCatView(platform::com::ComPtr<CCatFolder>::AddRefed(folder.Get()))
    , shelf_(*folder)
{
}

std::string_view CShelfView::Section() const
{
    return kShelfViewSection;
}

void CShelfView::InsertColumns(CViewList& list) const
{
    for (int n = 0; n < kShelfColumnCount; ++n)
        list.InsertColumn(Section(), n, ShelfColumnHeadingId(n));
}

UINT CShelfView::FileMenuId() const
{
    return kShelfFileMenu;
}

UINT CShelfView::ViewMenuId() const
{
    return kShelfViewMenu;
}

void CShelfView::SetUpWindow(CViewWnd& window)
{
    window.SetShelfFolder(&shelf_);
    AcceptDrops(window.List(), shelf_);
}

void CShelfView::AfterFill()
{
    // Posted, not sent: the dialog shows once the Explorer has shown the
    // empty shelf. Every fill of the empty root asks again.
    if (shelf_.IsRoot() && Folder().GetChildCount() == 0)
        platform::ui::PostCommand(Window(), kCmdHowToUse);
}

HRESULT CShelfView::GetItemObject(UINT item, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    if (item != SVGIO_SELECTION || Window() == nullptr)
        return E_NOTIMPL;
    CCatItem* selected = Window()->List().GetSelectedItem();
    if (selected == nullptr)
        return E_NOTIMPL;
    return selected->QueryInterface(iid, out);
}

} // namespace pellidor
