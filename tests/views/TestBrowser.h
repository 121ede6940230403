#pragma once
// A browser for the views' tests: the part of the Explorer a view talks to.
// It gives a window to put the view in, inserts the Explorer's pop-ups,
// keeps a copy of the menu the view hands over and records what it is asked
// (browse requests, toolbar buttons).

#include "platform/com/ComObject.h"
#include "platform/com/ShellBrowserTypes.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/ui/Menu.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace pellidor::test {

class TestBrowser : public platform::com::ComImplements<platform::com::ComObject, IShellBrowser> {
public:
    TestBrowser();

    QWidget& Window() { return window_; }
    // The menu bar the view set last (a copy), or null.
    const platform::ui::Menu* Menu() const { return menu_.get(); }
    HWND MenuTarget() const { return menuTarget_; }
    std::vector<std::vector<BYTE>> browsed; // each list, terminator included
    std::vector<UINT> browseFlags;
    std::vector<TBBUTTON> buttons;
    int bitmapsAdded = 0;

    HRESULT GetWindow(HWND* out) override;
    HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT InsertMenusSB(HMENU shared, void* widths) override;
    HRESULT SetMenuSB(HMENU shared, void* oleMenu, HWND activeObject) override;
    HRESULT RemoveMenusSB(HMENU shared) override;
    HRESULT SetStatusTextSB(const WCHAR*) override { return S_OK; }
    HRESULT EnableModelessSB(BOOL) override { return S_OK; }
    HRESULT TranslateAcceleratorSB(void*, WORD) override { return E_NOTIMPL; }
    HRESULT BrowseObject(LPCITEMIDLIST idl, UINT flags) override;
    HRESULT GetViewStateStream(DWORD, IUnknown**) override { return E_NOTIMPL; }
    HRESULT GetControlWindow(UINT, HWND*) override { return E_NOTIMPL; }
    HRESULT SendControlMsg(UINT id, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;
    HRESULT QueryActiveShellView(IShellView**) override { return E_NOTIMPL; }
    HRESULT OnViewWindowActive(IShellView*) override { return S_OK; }
    HRESULT SetToolbarItems(void* buttons, UINT count, UINT flags) override;

protected:
    ~TestBrowser() override = default;

private:
    QWidget window_;
    platform::ui::MenuPtr menu_;
    HWND menuTarget_ = nullptr;
};

} // namespace pellidor::test
