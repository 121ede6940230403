// pellidor info [--json] CATALOG [--name TEXT] [--content TEXT]: the volume
// facts recorded in a catalog; with options, a new name and content first.

#include "cli/Commands.h"
#include "cli/Output.h"
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
    const Row headings = {"Name", "Original", "File System", "Serial", "Type", "Total Size", "Free Space",
        "Total Bytes", "Free Bytes", "Date", "Content", "Path"};
    const Row row = {catalog->GetName(), catalog->CatalogVolumeLabel(), catalog->FileSystemName(), serial,
        catalog->DriveTypeText(), catalog->GetColumnText(kShelfColumnTotalSize, false),
        catalog->GetColumnText(kShelfColumnFreeSpace, false), std::to_string(catalog->TotalBytes()),
        std::to_string(catalog->FreeBytes()), catalog->GetColumnText(kShelfColumnDate, false),
        catalog->CatalogContent(), path};
    bool written = true;
    if (json) {
        written = PrintTable(headings, {row}, true);
    } else {
        // One fact a line: its heading, then its value.
        for (std::size_t i = 0; i < headings.size(); ++i)
            written = std::fputs(TsvLine({headings[i], row[i]}).c_str(), stdout) >= 0 && written;
    }
    return written ? 0 : Fail("cannot write the catalog's facts");
}

} // namespace pellidor::cli
