#pragma once
// CCatView: the Explorer's view of a folder inside a catalog. It lists the
// folder's children in a CViewList, merges its commands into the Explorer's
// menus and toolbar while it is active, opens sub-folders in the same
// window, and refills itself when any copy of the library announces that
// catalogs changed. CShelfView is the same view over a shelf folder.
//
// Runs on the Explorer window's thread that created it.

#include "module/ModuleLock.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/ui/Menu.h"
#include "views/ViewWnd.h"

#include <QPointer>

#include <string_view>

namespace pellidor {

class CCatFolder;
class CViewList;

class CCatView : public platform::com::ComImplements<platform::com::ComObject, IShellView> {
public:
    explicit CCatView(platform::com::ComPtr<CCatFolder> folder);

    // IOleWindow
    HRESULT GetWindow(HWND* out) override;
    HRESULT ContextSensitiveHelp(BOOL enter) override;
    // IShellView
    HRESULT TranslateAccelerator(void* message) override;
    HRESULT EnableModeless(BOOL enable) override;
    HRESULT UIActivate(UINT state) override;
    HRESULT Refresh() override;
    HRESULT CreateViewWindow(
        IShellView* previous, const FOLDERSETTINGS* settings, IShellBrowser* browser, RECT* rect, HWND* out) override;
    HRESULT DestroyViewWindow() override;
    HRESULT GetCurrentInfo(FOLDERSETTINGS* out) override;
    HRESULT AddPropertySheetPages(DWORD reserved, void* addPage, LPARAM lparam) override;
    HRESULT SaveViewState() override;
    HRESULT SelectItem(LPCITEMIDLIST idl, UINT flags) override;
    HRESULT GetItemObject(UINT item, REFIID iid, void** out) override;

protected:
    ~CCatView() override;

    // What differs between the catalog view and the shelf view.
    virtual std::string_view Section() const;
    virtual void InsertColumns(CViewList& list) const;
    virtual UINT FileMenuId() const;
    virtual UINT ViewMenuId() const;
    // Called at the end of every fill, with the list in name order.
    virtual void AfterFill() { }
    // Called once the window exists.
    virtual void SetUpWindow(CViewWnd&) { }

    // Empties the list, makes the folder's children current (read again
    // with `reload`) and lists them in name order.
    void FillList(bool reload);
    CViewWnd* Window() const { return window_.data(); }
    CCatFolder& Folder() const { return *folder_; }

private:
    void MergeMenus(platform::ui::Menu& shared) const;
    void AddToolbarButtons();

    ModuleLock lock_;
    platform::com::ComPtr<CCatFolder> folder_;
    platform::com::ComPtr<IShellBrowser> browser_;
    QPointer<CViewWnd> window_;
    platform::ui::MenuPtr sharedMenu_;
};

} // namespace pellidor
