#pragma once
// CReadMenu: the context-menu handler of drives. For a selection that holds
// a removable or optical drive it adds "Add to Pellidor"; choosing it reads
// every such drive of the selection in turn, each under a modal reading
// dialog, the next after the previous one has closed. Other drives of the
// selection are passed over.
//
// The menu knows no widget: the dialog that reads one drive is handed in by
// whoever creates the menu (the library's class object hands the
// reading-progress dialog), so the menu stays in the product's core.

#include "module/ModuleLock.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/com/ShellTypes.h"

#include <QImage>

#include <string>

namespace pellidor {

class CReadMenu : public platform::com::ComImplements<platform::com::ComObject, IShellExtInit, IContextMenu> {
public:
    // Reads the drive at `root` and returns once its dialog has closed.
    using ReadDrive = void (*)(const std::string& root);

    // The bitmap beside the menu item.
    static constexpr UINT kMenuBitmapId = 1001;
    // "Add to %s".
    static constexpr UINT kMenuTextId = 28;

    explicit CReadMenu(ReadDrive readDrive);

    // IShellExtInit: keeps the selection's CF_HDROP paths; always S_OK. The
    // folder and the registry key are not used.
    HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* data, void* key) override;

    // IContextMenu: one item, id first + 1, when the selection holds a
    // drive that can be read; the answer counts two ids (0 without item).
    HRESULT QueryContextMenu(HMENU menu, UINT position, UINT first, UINT last, UINT flags) override;
    // The handler has a single item, so the command is not examined.
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    // No verb and no help text.
    HRESULT GetCommandString(UINT_PTR command, UINT type, UINT* reserved, char* name, UINT size) override;

    UINT DropCount() const { return dropCount_; }
    // Path `index` of the selection; empty past the end.
    std::string DropPath(UINT index) const;

    // Removable (2) and optical (5) drives are read; nothing else is.
    static bool IsReadableDrive(const std::string& root);

protected:
    ~CReadMenu() override;

private:
    void ForgetSelection();

    ModuleLock lock_;
    ReadDrive readDrive_;
    QImage menuBitmap_; // bitmap 1001, loaded when the menu is built
    platform::com::ComPtr<IDataObject> dataObject_;
    UINT dropCount_ = 0;
    STGMEDIUM drop_; // its hGlobal is the selection's path list, or null
};

} // namespace pellidor
