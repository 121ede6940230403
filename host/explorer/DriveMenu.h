#pragma once
// The context menu of selected drive roots: the explorer's own Open, then
// what every handler registered under HKCR Drive\shellex\ContextMenuHandlers
// adds. Each handler is told the selection as a CF_HDROP data object of the
// roots and gets its own range of command ids; the command the user chooses
// goes to the handler that added it. The handlers live as long as the menu.

#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/ui/Menu.h"

#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace host::explorer {

class ModuleCache;

class DriveMenu : public QObject {
    Q_OBJECT
public:
    static constexpr UINT kCommandOpen = 1;
    static constexpr UINT kFirstHandlerId = 0x100;
    static constexpr UINT kLastHandlerId = 0x7FFF;

    // `open` runs for the explorer's own Open. The menu object and its Qt
    // menu are children of `owner`.
    DriveMenu(ModuleCache& modules, std::vector<std::string> roots, QWidget* owner, std::function<void()> open);
    ~DriveMenu() override;

    // Asks the handlers for their items and builds the Qt menu (deleted with
    // this object).
    QMenu* Build();
    // Runs the command as if the user had chosen it.
    void Choose(UINT id);

private:
    struct Handler {
        platform::com::ComPtr<IContextMenu> menu;
        UINT first = 0;
        UINT count = 0;
    };
    void AddHandler(const CLSID& clsid, UINT position);

    ModuleCache& modules_;
    std::vector<std::string> roots_;
    QWidget* owner_;
    std::function<void()> open_;
    platform::ui::MenuPtr menu_;
    std::vector<Handler> handlers_;
    UINT nextId_ = kFirstHandlerId;
    QPointer<QMenu> qmenu_;
};

} // namespace host::explorer
