#include "module/ChangeNotify.h"

#include "module/ClassIds.h"
#include "platform/com/Guid.h"
#include "platform/com/ShellTypes.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/ui/Messages.h"

#include <array>

namespace pellidor {

namespace {

constexpr CLSID kClsidMyComputer = MakeGuid(0x20D04FE0, 0x3AEA, 0x1069, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D);

// The shell's element for a namespace root: size 20, a type byte, a sort
// byte, then the root's class id.
constexpr BYTE kTypeRootFolder = 0x1F;
constexpr BYTE kTypeDelegateFolder = 0x2E;
constexpr BYTE kSortMyComputer = 0x0F;
constexpr USHORT kElementSize = 20;

void AppendElement(std::vector<BYTE>& list, BYTE type, BYTE sort, const CLSID& clsid)
{
    list.push_back(static_cast<BYTE>(kElementSize & 0xFF));
    list.push_back(static_cast<BYTE>(kElementSize >> 8));
    list.push_back(type);
    list.push_back(sort);
    const std::array<BYTE, 16> bytes = platform::com::GuidBytes(clsid);
    list.insert(list.end(), bytes.begin(), bytes.end());
}

void AppendTerminator(std::vector<BYTE>& list)
{
    list.push_back(0);
    list.push_back(0);
}

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
    std::vector<BYTE> list;
    AppendElement(list, kTypeRootFolder, 0x00, CLSID_ShelfFolder);
    AppendTerminator(list);
    return list;
}

std::vector<BYTE> ShelfInMyComputerIdList()
{
    std::vector<BYTE> list;
    AppendElement(list, kTypeRootFolder, kSortMyComputer, kClsidMyComputer);
    AppendElement(list, kTypeDelegateFolder, 0x00, CLSID_ShelfFolder);
    AppendTerminator(list);
    return list;
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
