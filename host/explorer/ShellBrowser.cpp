#include "host/explorer/ShellBrowser.h"

#include "platform/shell/ChangeNotify.h"
#include "platform/ui/Menu.h"

namespace host::explorer {

HRESULT ShellBrowser::GetWindow(HWND* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = site_ != nullptr ? site_->ViewParent() : nullptr;
    return *out != nullptr ? S_OK : E_FAIL;
}

HRESULT ShellBrowser::InsertMenusSB(HMENU shared, void* widths)
{
    if (site_ == nullptr)
        return E_FAIL;
    if (shared == nullptr)
        return E_INVALIDARG;
    site_->InsertBrowserMenus(shared);
    // The browser's groups: File, View (with Favorites and Tools in the
    // container's), Help.
    if (auto* groups = static_cast<OLEMENUGROUPWIDTHS*>(widths)) {
        groups->width[0] = 2;
        groups->width[2] = 3;
        groups->width[4] = 1;
    }
    return S_OK;
}

HRESULT ShellBrowser::SetMenuSB(HMENU shared, void*, HWND activeObject)
{
    if (site_ == nullptr)
        return E_FAIL;
    site_->SetSharedMenu(shared, activeObject);
    return S_OK;
}

HRESULT ShellBrowser::RemoveMenusSB(HMENU shared)
{
    if (site_ == nullptr)
        return E_FAIL;
    if (shared != nullptr)
        site_->RemoveBrowserMenus(shared);
    return S_OK;
}

HRESULT ShellBrowser::SetStatusTextSB(const WCHAR* text)
{
    if (site_ == nullptr)
        return E_FAIL;
    site_->SetStatusText(text != nullptr ? QString::fromUtf16(text) : QString());
    return S_OK;
}

HRESULT ShellBrowser::EnableModelessSB(BOOL enable)
{
    if (site_ == nullptr)
        return E_FAIL;
    site_->EnableModeless(enable != 0);
    return S_OK;
}

HRESULT ShellBrowser::BrowseObject(LPCITEMIDLIST idl, UINT flags)
{
    if (site_ == nullptr)
        return E_FAIL;
    return site_->Browse(platform::shell::IdListBytes(idl), flags);
}

HRESULT ShellBrowser::GetViewStateStream(DWORD, IUnknown** out)
{
    if (out != nullptr)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT ShellBrowser::GetControlWindow(UINT id, HWND* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = site_ != nullptr ? site_->ControlWindow(id) : nullptr;
    return *out != nullptr ? S_OK : E_FAIL;
}

HRESULT ShellBrowser::SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (result != nullptr)
        *result = 0;
    if (site_ == nullptr)
        return E_FAIL;
    return site_->ControlMessage(id, message, wParam, lParam, result);
}

HRESULT ShellBrowser::QueryActiveShellView(IShellView** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = site_ != nullptr ? site_->ActiveView() : nullptr;
    if (*out == nullptr)
        return E_FAIL;
    (*out)->AddRef();
    return S_OK;
}

HRESULT ShellBrowser::OnViewWindowActive(IShellView* view)
{
    if (site_ == nullptr)
        return E_FAIL;
    site_->ViewWindowActive(view);
    return S_OK;
}

HRESULT ShellBrowser::SetToolbarItems(void* buttons, UINT count, UINT flags)
{
    if (site_ == nullptr)
        return E_FAIL;
    return site_->ToolbarItems(static_cast<const TBBUTTON*>(buttons), buttons != nullptr ? count : 0, flags);
}

} // namespace host::explorer
