#include "host/explorer/DriveMenu.h"

#include "host/explorer/ModuleCache.h"
#include "host/explorer/ShellRegistry.h"
#include "platform/registry/Registry.h"
#include "platform/shell/DropFiles.h"
#include "platform/ui/MenuWidgets.h"

#include <QMenu>

namespace host::explorer {

using platform::com::ComPtr;

DriveMenu::DriveMenu(ModuleCache& modules, std::vector<std::string> roots, QWidget* owner, std::function<void()> open)
    : QObject(owner)
    , modules_(modules)
    , roots_(std::move(roots))
    , owner_(owner)
    , open_(std::move(open))
{
}

DriveMenu::~DriveMenu()
{
    delete qmenu_.data(); // already gone when the owner went first
}

QMenu* DriveMenu::Build()
{
    menu_ = platform::ui::CreatePopupMenu();
    menu_->AppendString(kCommandOpen, "&Open");
    menu_->SetDefaultItem(kCommandOpen, false);
    menu_->AppendSeparator();
    for (const CLSID& clsid : DriveMenuHandlers())
        AddHandler(clsid, static_cast<UINT>(menu_->GetItemCount()));
    qmenu_ = new QMenu(owner_);
    platform::ui::FillQMenu(*menu_, qmenu_.data(), [this](UINT id) { Choose(id); });
    return qmenu_.data();
}

void DriveMenu::AddHandler(const CLSID& clsid, UINT position)
{
    if (nextId_ > kLastHandlerId)
        return;
    ComPtr<IShellExtInit> init;
    if (FAILED(modules_.CreateInstance(clsid, IShellExtInit::kIid, init.ReceiveVoid())) || !init)
        return;
    const ComPtr<IDataObject> selection = platform::shell::CreateDropFilesDataObject(roots_);
    platform::registry::Key driveKey;
    driveKey.Open(platform::registry::Hive::ClassesRoot, kDriveKey);
    if (!selection || FAILED(init->Initialize(nullptr, selection.Get(), &driveKey)))
        return;
    const ComPtr<IContextMenu> menu = init.As<IContextMenu>();
    if (!menu)
        return;
    const HRESULT added = menu->QueryContextMenu(menu_.get(), position, nextId_, kLastHandlerId, CMF_NORMAL);
    if (FAILED(added))
        return;
    // The answer counts the ids used from the first on, not the items.
    const UINT count = std::min<UINT>(HRESULT_CODE(added), kLastHandlerId + 1 - nextId_);
    handlers_.push_back({menu, nextId_, count});
    nextId_ += count;
}

void DriveMenu::Choose(UINT id)
{
    if (id == kCommandOpen) {
        if (open_)
            open_();
        return;
    }
    for (const Handler& handler : handlers_) {
        if (id < handler.first || id >= handler.first + handler.count)
            continue;
        CMINVOKECOMMANDINFO info;
        info.hwnd = owner_;
        info.lpVerb = MAKEINTRESOURCEA(id - handler.first);
        info.nShow = SW_SHOWNORMAL;
        // Held across the call: the handler may drop the menu's last
        // reference to itself in there.
        const ComPtr<IContextMenu> menu = handler.menu;
        menu->InvokeCommand(&info);
        return;
    }
}

} // namespace host::explorer
