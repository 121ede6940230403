#pragma once
// CDropTarget: what the shell asks when something is dragged over a shelf
// folder (any item that accepts drops). Only catalogs and shelf folders are accepted, only by moving, and
// only the first dragged item decides; a drop moves that item's file or
// directory into the target folder's directory.

#include "module/ModuleLock.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"

namespace pellidor {

class CCatItem;

class CDropTarget : public platform::com::ComImplements<platform::com::ComObject, IDropTarget> {
public:
    // `folder` may be null, or an item that accepts no drops: such a target
    // has no destination and accepts nothing.
    explicit CDropTarget(CCatItem* folder);

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

protected:
    ~CDropTarget() override;

private:
    // A folder inside a catalog names no directory on the disk.
    bool HasDestination() const;

    ModuleLock lock_;
    platform::com::ComPtr<CCatItem> folder_;
};

} // namespace pellidor
