#include "items/MediumQuery.h"

#include "items/CatItem.h"
#include "platform/system/Drives.h"

#include <atomic>

namespace pellidor {

namespace {

// Set once while the library loads, read on whatever thread opens an item.
std::atomic<IMediumPrompt*> g_prompt{nullptr};

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
    for (const std::string& root : platform::system::GetLogicalDriveRoots()) {
        if (platform::system::GetDriveType(root) == platform::system::DRIVE_CDROM && query.isPresent
            && query.isPresent(root)) {
            if (driveRoot != nullptr)
                *driveRoot = root;
            return true;
        }
    }
    IMediumPrompt* prompt = g_prompt.load();
    return prompt != nullptr && prompt->AskForMedium(query, owner, driveRoot);
}

} // namespace pellidor
