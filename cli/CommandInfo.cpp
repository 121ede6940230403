// pellidor info [--json] CATALOG [--name TEXT] [--content TEXT]: the volume
// facts recorded in a catalog; with options, a new name and content first.

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"

#include "items/TextHelpers.h"

#include <cstdio>

namespace pellidor::cli {

int RunInfo(const Arguments& arguments)
{
    Arguments rest = arguments;
    const bool json = TakeFlag(rest, "--json");
    std::optional<std::string> name;
    std::optional<std::string> content;
    if (!TakeOption(rest, "--name", &name) || !TakeOption(rest, "--content", &content))
        return 2;
    if (rest.size() != 1)
        return Fail("usage: pellidor info [--json] CATALOG [--name TEXT] [--content TEXT]", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    auto catalog = FindCatalog(*root, rest[0], &error);
    if (!catalog)
        return Fail(error);
    const std::string path = catalog->CatalogFilePath();
    if (name || content) {
        if (!catalog->SetInformation(name, content))
            return Fail("cannot change the catalog '" + path + "': it cannot be opened for writing");
        // The facts as now stored: an item keeps what it read when made.
        root->LoadChildren(true);
        catalog = FindCatalog(*root, path, &error);
        if (!catalog)
            return Fail(error);
    }
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08X", catalog->VolumeSerial());
    const std::vector<std::string> headings = {"Name", "Original", "File System", "Serial", "Type", "Total Size",
        "Free Space", "Total Bytes", "Free Bytes", "Date", "Content", "Path"};
    const std::vector<std::string> row = {catalog->GetName(), catalog->CatalogVolumeLabel(), catalog->FileSystemName(),
        serial, catalog->DriveTypeText(), catalog->GetColumnText(kShelfColumnTotalSize, false),
        catalog->GetColumnText(kShelfColumnFreeSpace, false), std::to_string(catalog->TotalBytes()),
        std::to_string(catalog->FreeBytes()), catalog->GetColumnText(kShelfColumnDate, false),
        catalog->CatalogContent(), path};
    if (json) {
        PrintTable(headings, {row}, true);
        return 0;
    }
    for (std::size_t i = 0; i < headings.size(); ++i)
        std::printf("%s\t%s\n", headings[i].c_str(), row[i].c_str());
    return 0;
}

} // namespace pellidor::cli
