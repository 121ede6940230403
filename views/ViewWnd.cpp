#include "views/ViewWnd.h"

#include "items/CatItem.h"
#include "items/NewFolderDialog.h"
#include "items/ShelfFolder.h"
#include "module/ChangeNotify.h"
#include "pages/AboutDialog.h"
#include "pages/HowToUseDialog.h"
#include "platform/com/Memory.h"
#include "platform/ui/DragDrop.h"
#include "search/SearchDialog.h"
#include "views/ViewList.h"

#include <QVBoxLayout>

namespace pellidor {

CViewWnd::CViewWnd(QWidget* parent, IShellView* owner, platform::com::ComPtr<IShellBrowser> browser)
    : QWidget(parent)
    , owner_(owner)
    , browser_(std::move(browser))
    , list_(new CViewList(this))
{
    platform::ui::SetWindowText(this, kViewWindowText);
    setFocusPolicy(Qt::TabFocus);
    // The list fills the window and follows its size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    setFocusProxy(list_);
    list_->SetOpenHandler([this](CCatItem& item) { Open(item); });
    list_->SetDragHandler([this](CCatItem& item) { DragOut(item); });
}

CViewWnd::~CViewWnd() = default;

void CViewWnd::SetShelfFolder(CShelfFolder* folder)
{
    shelfFolder_ = platform::com::ComPtr<CShelfFolder>::AddRefed(folder);
}

LRESULT CViewWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ChangeMessageId()) {
        // The view reloads its folder and refills the list.
        if (owner_ != nullptr)
            owner_->Refresh();
        return 0;
    }
    if (message != WM_COMMAND)
        return 0;
    switch (static_cast<UINT>(wParam & 0xFFFF)) {
    case kCmdAbout:
        CAboutDialog::Run(this);
        return 0;
    case kCmdFind:
        // Without an owner, as from the Find menu: the window stands on its
        // own, and another Find opens another one.
        RunSearchDialog();
        return 0;
    case kCmdNewFolder:
        if (shelfFolder_)
            NewShelfFolder(*shelfFolder_, this);
        return 0;
    case kCmdHowToUse:
        CHowToUseDialog::Run(this);
        return 0;
    case kCmdAutoArrange:
        return 0;
    default:
        return list_->HandleMessage(message, wParam, lParam);
    }
}

void CViewWnd::Open(CCatItem& item)
{
    if (item.IsFolder()) {
        if (!browser_)
            return;
        const platform::com::TaskMemPtr<ITEMIDLIST> last(item.GetLastID());
        if (last)
            browser_->BrowseObject(last.get(), SBSP_RELATIVE);
        return;
    }
    CMINVOKECOMMANDINFO info;
    info.hwnd = this;
    info.lpVerb = MAKEINTRESOURCEA(0);
    item.OnOpen(&info);
}

void CViewWnd::DragOut(CCatItem& item)
{
    // Held through the loop: a change message handled inside it refills the
    // list and releases the folder's children.
    const auto held = platform::com::ComPtr<CCatItem>::AddRefed(&item);
    const auto transfer = held.As<IDataObject>();
    const auto source = held.As<IDropSource>();
    if (!transfer || !source)
        return;
    // A file of the catalogued medium is copied or linked, never moved: a
    // file manager moves what comes from its own file system, which would
    // take the file off a catalogued folder of this disk. Catalogs and shelf
    // folders, which offer no file, move between shelf folders.
    FORMATETC files;
    files.cfFormat = CF_HDROP;
    const DWORD allowed = transfer->QueryGetData(&files) == S_OK ? DROPEFFECT_COPY | DROPEFFECT_LINK
                                                                 : DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    // The effect is not used: a drop on the shelf moved the file itself and
    // announced the change.
    DWORD effect = DROPEFFECT_NONE;
    platform::ui::DoDragDrop(transfer.Get(), source.Get(), allowed, &effect);
}

} // namespace pellidor
