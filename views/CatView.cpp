#include "views/CatView.h"

#include "items/CatItem.h"
#include "module/Resources.h"
#include "module/Settings.h"
#include "namespace/CatFolder.h"
#include "platform/com/ShellBrowserTypes.h"
#include "views/ViewList.h"
#include "views/ViewWnd.h"

#include <new>

namespace pellidor {

using platform::com::ComPtr;
using platform::ui::Menu;

namespace {

// The view's menu resources: the File and View pop-ups of each view, and the
// Edit and Help pop-ups both share.
constexpr UINT kCatFileMenu = 1040;
constexpr UINT kEditMenu = 1041;
constexpr UINT kCatViewMenu = 1042;
constexpr UINT kHelpMenu = 1043;

// The catalog view's columns and their headings.
constexpr UINT kCatColumnHeadings[] = {2001, 2003, 2002, 2004, 2009};

enum class MergeAt { Top, End, BeforeViewOptions };

// Copies every item of the resource menu into `target`, in the resource's
// order, at the place named.
void MergeResource(Menu* target, UINT resourceId, MergeAt where)
{
    if (target == nullptr)
        return;
    const platform::ui::MenuPtr resource = platform::ui::LoadMenu(kProductResources, resourceId);
    if (!resource)
        return;
    for (int i = 0; i < resource->GetItemCount(); ++i) {
        const platform::ui::MenuItem* source = resource->GetItem(i);
        platform::ui::MenuItem copy;
        copy.type = source->type;
        copy.state = source->state;
        copy.id = source->id;
        copy.text = source->text;
        if (source->submenu)
            copy.submenu = source->submenu->Clone();
        switch (where) {
        case MergeAt::Top:
            target->InsertItem(static_cast<UINT>(i), platform::ui::MF_BYPOSITION, std::move(copy));
            break;
        case MergeAt::End:
            target->AppendItem(std::move(copy));
            break;
        case MergeAt::BeforeViewOptions:
            // A browser without the separator gets the items at the end.
            if (target->FindItem(FCIDM_MENU_VIEW_SEP_OPTIONS) == nullptr)
                target->AppendItem(std::move(copy));
            else
                target->InsertItem(FCIDM_MENU_VIEW_SEP_OPTIONS, platform::ui::MF_BYCOMMAND, std::move(copy));
            break;
        }
    }
}

} // namespace

CCatView::CCatView(ComPtr<CCatFolder> folder) : folder_(std::move(folder))
{
}

CCatView::~CCatView()
{
    delete window_.data();
}

HRESULT CCatView::GetWindow(HWND*)
{
    return E_NOTIMPL;
}

HRESULT CCatView::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT CCatView::TranslateAccelerator(void*)
{
    return E_NOTIMPL;
}

HRESULT CCatView::EnableModeless(BOOL)
{
    return E_NOTIMPL;
}

HRESULT CCatView::UIActivate(UINT state)
{
    if (state == SVUIA_DEACTIVATE) {
        if (browser_) {
            browser_->SetMenuSB(nullptr, nullptr, nullptr);
            if (sharedMenu_)
                browser_->RemoveMenusSB(sharedMenu_.get());
        }
        sharedMenu_.reset();
        return S_OK;
    }
    if (!browser_)
        return E_UNEXPECTED;
    platform::ui::MenuPtr menu = platform::ui::CreatePopupMenu();
    if (!menu)
        return S_OK;
    browser_->OnViewWindowActive(this);
    OLEMENUGROUPWIDTHS widths;
    browser_->InsertMenusSB(menu.get(), &widths);
    MergeMenus(*menu);
    const HRESULT result = browser_->SetMenuSB(menu.get(), nullptr, window_.data());
    // The previous shared menu goes only now that the browser holds the new
    // one, so it never shows a destroyed menu.
    sharedMenu_ = std::move(menu);
    return result;
}

void CCatView::MergeMenus(Menu& shared) const
{
    MergeResource(shared.FindPopup(FCIDM_MENU_FILE), FileMenuId(), MergeAt::Top);
    MergeResource(shared.FindPopup(FCIDM_MENU_EDIT), kEditMenu, MergeAt::End);
    MergeResource(shared.FindPopup(FCIDM_MENU_VIEW), ViewMenuId(), MergeAt::BeforeViewOptions);
    MergeResource(shared.FindPopup(FCIDM_MENU_HELP), kHelpMenu, MergeAt::End);
}

HRESULT CCatView::Refresh()
{
    FillList(true);
    return S_OK;
}

HRESULT CCatView::CreateViewWindow(
    IShellView*, const FOLDERSETTINGS* settings, IShellBrowser* browser, RECT* rect, HWND* out)
{
    if (out == nullptr || browser == nullptr)
        return E_INVALIDARG;
    *out = nullptr;
    browser_ = ComPtr<IShellBrowser>::AddRefed(browser);
    HWND parent = nullptr;
    browser_->GetWindow(&parent);
    delete window_.data();
    window_ = new (std::nothrow) CViewWnd(parent, this, browser_);
    if (!window_)
        return E_OUTOFMEMORY;
    if (rect != nullptr)
        window_->setGeometry(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    const FOLDERSETTINGS given = settings != nullptr ? *settings : FOLDERSETTINGS{};
    if (!window_->List().Create(given)) {
        delete window_.data();
        return E_OUTOFMEMORY;
    }
    SetUpWindow(*window_);
    InsertColumns(window_->List());
    window_->show();
    *out = window_.data();
    FillList(false);
    AddToolbarButtons();
    return S_OK;
}

void CCatView::InsertColumns(CViewList& list) const
{
    int n = 0;
    for (const UINT heading : kCatColumnHeadings)
        list.InsertColumn(Section(), n++, heading);
}

std::string_view CCatView::Section() const
{
    return kCatViewSection;
}

UINT CCatView::FileMenuId() const
{
    return kCatFileMenu;
}

UINT CCatView::ViewMenuId() const
{
    return kCatViewMenu;
}

void CCatView::AddToolbarButtons()
{
    TBADDBITMAP standard;
    standard.hInst = HINST_COMMCTRL;
    standard.nID = IDB_STD_SMALL_COLOR;
    LRESULT offset = 0;
    browser_->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, kStdImageCount, reinterpret_cast<LPARAM>(&standard), &offset);
    TBADDBITMAP view;
    view.hInst = HINST_COMMCTRL;
    view.nID = IDB_VIEW_SMALL_COLOR;
    LRESULT unused = 0;
    browser_->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, kViewImageCount, reinterpret_cast<LPARAM>(&view), &unused);
    TBBUTTON buttons[2];
    buttons[0].iBitmap = static_cast<int>(offset) + STD_PRINT;
    buttons[0].idCommand = static_cast<int>(kCmdPrint);
    buttons[1].iBitmap = static_cast<int>(offset) + STD_PRINTPRE;
    buttons[1].idCommand = static_cast<int>(kCmdFind);
    browser_->SetToolbarItems(buttons, 2, FCT_MERGE);
}

void CCatView::FillList(bool reload)
{
    if (!window_ || !folder_)
        return;
    CViewList& list = window_->List();
    // First: the entries point at the children without a reference, and a
    // reload releases them.
    list.DeleteAllItems();
    folder_->LoadChildren(reload);
    std::vector<CCatItem*> items;
    items.reserve(static_cast<std::size_t>(folder_->GetChildCount()));
    for (int i = 0; i < folder_->GetChildCount(); ++i)
        items.push_back(folder_->GetChild(i));
    list.InsertItems(items);
    // Name order after every fill, whatever the user chose before.
    list.Sort(0);
    AfterFill();
}

HRESULT CCatView::DestroyViewWindow()
{
    if (!window_)
        return E_UNEXPECTED;
    delete window_.data();
    return S_OK;
}

HRESULT CCatView::GetCurrentInfo(FOLDERSETTINGS* out)
{
    if (out == nullptr)
        return E_INVALIDARG;
    if (!window_)
        return E_UNEXPECTED;
    *out = window_->List().GetSettings();
    return S_OK;
}

HRESULT CCatView::AddPropertySheetPages(DWORD, void*, LPARAM)
{
    return E_NOTIMPL;
}

HRESULT CCatView::SaveViewState()
{
    if (window_)
        window_->List().SaveColumns(Section());
    return S_OK;
}

HRESULT CCatView::SelectItem(LPCITEMIDLIST, UINT)
{
    return E_NOTIMPL;
}

HRESULT CCatView::GetItemObject(UINT, REFIID, void** out)
{
    if (out != nullptr)
        *out = nullptr;
    return E_NOTIMPL;
}

} // namespace pellidor
