// pellidor info [--json] CATALOG [FOLDER] [--name TEXT] [--content TEXT]: the
// volume facts recorded in a catalog, the catalog file's size, and the files,
// folders and bytes below the catalog's root or below FOLDER, the figures its
// property pages show; with options, a new name and content first.

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
    if (rest.empty() || rest.size() > 2)
        return Fail("usage: pellidor info [--json] CATALOG [FOLDER] [--name TEXT] [--content TEXT]", 2);
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
    // A folder counts itself, as its page does; the catalog counts the
    // folders below its root.
    ItemStatistics statistics;
    if (rest.size() > 1) {
        const auto folder = FindCatalogFolder(*catalog, rest[1], &error);
        if (!folder)
            return Fail(error);
        folder->AddToStatistics(statistics);
    } else {
        catalog->AddToStatistics(statistics);
    }
    std::uint64_t fileSize = 0;
    const std::string fileSizeText = catalog->CatalogFileSize(&fileSize) ? std::to_string(fileSize) : std::string();
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08X", catalog->VolumeSerial());
    const Row headings = {"Name", "Original", "File System", "Serial", "Type", "Total Size", "Free Space",
        "Total Bytes", "Free Bytes", "Date", "Content", "Path", "File Bytes", "Files", "Folders", "Files Bytes"};
    const Row row = {catalog->GetName(), catalog->CatalogVolumeLabel(), catalog->FileSystemName(), serial,
        catalog->DriveTypeText(), catalog->GetColumnText(kShelfColumnTotalSize, false),
        catalog->GetColumnText(kShelfColumnFreeSpace, false), std::to_string(catalog->TotalBytes()),
        std::to_string(catalog->FreeBytes()), catalog->GetColumnText(kShelfColumnDate, false),
        catalog->CatalogContent(), path, fileSizeText, std::to_string(statistics.Files),
        std::to_string(statistics.Folders), std::to_string(statistics.TotalSize)};
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
