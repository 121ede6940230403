#include "module/ChangeNotify.h"

#include "module/ClassIds.h"
#include "platform/com/Guid.h"
#include "platform/com/ShellTypes.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/ui/Messages.h"

namespace pellidor {

namespace {

// Registered during static initialisation, before any object exists. This
// file also holds NotifyCatalogsChanged, which everything that changes
// catalogs calls, so the linker never drops it from the static library.
const UINT g_changeMessage = platform::ui::RegisterWindowMessage(kChangeMessageName);

} // namespace

UINT ChangeMessageId()
{
    return g_changeMessage;
}

std::vector<BYTE> ShelfOnDesktopIdList()
{
    return platform::shell::DesktopJunctionIdList(CLSID_ShelfFolder);
}

std::vector<BYTE> ShelfInMyComputerIdList()
{
    return platform::shell::MyComputerJunctionIdList(CLSID_ShelfFolder);
}

void NotifyCatalogsChanged()
{
    // Both places, whichever the installation chose for the shelf.
    const std::vector<BYTE> desktop = ShelfOnDesktopIdList();
    platform::shell::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, desktop.data(), nullptr);
    const std::vector<BYTE> myComputer = ShelfInMyComputerIdList();
    platform::shell::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, myComputer.data(), nullptr);
    platform::ui::BroadcastRegisteredMessage(kChangeMessageName, kViewWindowText);
}

} // namespace pellidor
