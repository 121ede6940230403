#include "views/ViewWnd.h"

#include "items/CatItem.h"
#include "items/NewFolderDialog.h"
#include "items/ShelfFolder.h"
#include "module/ChangeNotify.h"
#include "pages/AboutDialog.h"
#include "pages/HowToUseDialog.h"
#include "platform/com/Memory.h"
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

void CViewWnd::DragOut(CCatItem&)
{
    // Dragging out comes with the platform's drag-and-drop loop.
}

} // namespace pellidor
