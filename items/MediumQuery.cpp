#include "items/MediumQuery.h"

#include "items/CatItem.h"
#include "platform/system/Drives.h"
#include "platform/ui/DragDrop.h"

#include <atomic>

namespace pellidor {

namespace {

// Set once while the library loads, read on whatever thread opens an item.
std::atomic<IMediumPrompt*> g_prompt{nullptr};

// The first drive of `type` that holds the medium.
bool FindInDrives(const MediumQuery& query, UINT type, std::string* driveRoot)
{
    if (!query.isPresent)
        return false;
    for (const std::string& root : platform::system::GetLogicalDriveRoots()) {
        if (platform::system::GetDriveType(root) == type && query.isPresent(root)) {
            if (driveRoot != nullptr)
                *driveRoot = root;
            return true;
        }
    }
    return false;
}

} // namespace

void SetMediumPrompt(IMediumPrompt* prompt)
{
    g_prompt.store(prompt);
}

MediumQuery MediumQueryFor(CCatItem& item)
{
    MediumQuery query;
    query.fileName = item.GetName();
    query.volumeName = item.CatalogUserName();
    query.isPresent = [&item](const std::string& root) { return item.IsMediumPresent(root); };
    return query;
}

bool FindTheMedium(CCatItem& item, HWND owner, std::string* driveRoot)
{
    return FindTheMedium(MediumQueryFor(item), owner, driveRoot);
}

bool FindTheMedium(const MediumQuery& query, HWND owner, std::string* driveRoot)
{
    // Optical drives first, without showing anything: the disc is often
    // already in.
    if (FindInDrives(query, platform::system::DRIVE_CDROM, driveRoot))
        return true;
    // A drag's target asks from inside the window system's drag protocol,
    // where a dialog cannot be answered: only a medium already in a drive
    // counts, a stick as well as a disc.
    if (platform::ui::IsServingDrag())
        return FindInDrives(query, platform::system::DRIVE_REMOVABLE, driveRoot);
    IMediumPrompt* prompt = g_prompt.load();
    return prompt != nullptr && prompt->AskForMedium(query, owner, driveRoot);
}

} // namespace pellidor
