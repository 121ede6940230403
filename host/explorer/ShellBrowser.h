#pragma once
// The explorer's IShellBrowser: what a hosted view calls to merge its menus
// and toolbar buttons, show status text and browse. The COM object forwards
// to its site, the window; once the window is gone (Detach) every call fails
// with E_FAIL, since a view may hold the browser longer than the window
// lives.

#include "platform/com/ComObject.h"
#include "platform/com/ShellBrowserTypes.h"
#include "platform/com/ShellInterfaces.h"

#include <QString>

#include <vector>

namespace host::explorer {

class BrowserSite {
public:
    virtual ~BrowserSite() = default;
    // The window views are created in.
    virtual HWND ViewParent() = 0;
    virtual void InsertBrowserMenus(HMENU shared) = 0;
    // Null: the browser's own menu again.
    virtual void SetSharedMenu(HMENU shared, HWND commandTarget) = 0;
    virtual void RemoveBrowserMenus(HMENU shared) = 0;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void EnableModeless(bool enable) = 0;
    // `list` is the list as given (terminator included), possibly empty.
    virtual HRESULT Browse(const std::vector<BYTE>& list, UINT flags) = 0;
    virtual HWND ControlWindow(UINT id) = 0;
    virtual HRESULT ControlMessage(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
    virtual IShellView* ActiveView() = 0;
    virtual void ViewWindowActive(IShellView* view) = 0;
    virtual HRESULT ToolbarItems(const TBBUTTON* buttons, UINT count, UINT flags) = 0;
};

class ShellBrowser : public platform::com::ComImplements<platform::com::ComObject, IShellBrowser> {
public:
    explicit ShellBrowser(BrowserSite* site) : site_(site) { }
    void Detach() { site_ = nullptr; }

    // IOleWindow
    HRESULT GetWindow(HWND* out) override;
    HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IShellBrowser
    HRESULT InsertMenusSB(HMENU shared, void* widths) override;
    HRESULT SetMenuSB(HMENU shared, void* oleMenu, HWND activeObject) override;
    HRESULT RemoveMenusSB(HMENU shared) override;
    HRESULT SetStatusTextSB(const WCHAR* text) override;
    HRESULT EnableModelessSB(BOOL enable) override;
    HRESULT TranslateAcceleratorSB(void*, WORD) override { return E_NOTIMPL; }
    HRESULT BrowseObject(LPCITEMIDLIST idl, UINT flags) override;
    HRESULT GetViewStateStream(DWORD, IUnknown** out) override;
    HRESULT GetControlWindow(UINT id, HWND* out) override;
    HRESULT SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    HRESULT QueryActiveShellView(IShellView** out) override;
    HRESULT OnViewWindowActive(IShellView* view) override;
    HRESULT SetToolbarItems(void* buttons, UINT count, UINT flags) override;

private:
    ~ShellBrowser() override = default;

    BrowserSite* site_;
};

} // namespace host::explorer
