#pragma once
// CViewWnd: the window of a catalog or shelf view. It bears the text
// "#CatView#", so the change message of every copy of the library reaches
// it, holds the list filling it, keeps the commands that are the view's own
// (About, Find, New Folder, How to use) and hands every other to the list.

#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/ui/Messages.h"

#include <QWidget>

namespace pellidor {

class CCatItem;
class CShelfFolder;
class CViewList;

// The commands the view window keeps.
enum ViewCommand : UINT {
    kCmdAutoArrange = 16,
    kCmdAbout = 17,
    kCmdFind = 19,
    kCmdNewFolder = 4019,
    kCmdHowToUse = 4020,
};

class CViewWnd : public QWidget, public platform::ui::MessageHandler {
public:
    // `owner` is the view (no reference counted: the view owns the window).
    CViewWnd(QWidget* parent, IShellView* owner, platform::com::ComPtr<IShellBrowser> browser);
    ~CViewWnd() override;

    CViewList& List() const { return *list_; }
    // The shelf folder that takes "New Folder..."; none in a catalog view.
    void SetShelfFolder(CShelfFolder* folder);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Folders open in the same browser window, files through the item.
    void Open(CCatItem& item);
    void DragOut(CCatItem& item);

    IShellView* owner_;
    platform::com::ComPtr<IShellBrowser> browser_;
    platform::com::ComPtr<CShelfFolder> shelfFolder_;
    CViewList* list_;
};

} // namespace pellidor
