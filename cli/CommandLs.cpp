// pellidor ls [--json] CATALOG [FOLDER]: a catalog folder's five columns,
// folders first, then by name.

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"

namespace pellidor::cli {

int RunLs(const Arguments& arguments)
{
    Arguments rest = arguments;
    const bool json = TakeFlag(rest, "--json");
    if (rest.empty() || rest.size() > 2)
        return Fail("usage: pellidor ls [--json] CATALOG [FOLDER]", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    const auto catalog = FindCatalog(*root, rest[0], &error);
    if (!catalog)
        return Fail(error);
    const auto folder = FindCatalogFolder(*catalog, rest.size() > 1 ? rest[1] : std::string(), &error);
    if (!folder)
        return Fail(error);

    const std::vector<std::string> headings = {"Name", "Total Size", "Type", "Date", "Attribute"};
    const auto rows = ChildRows(*folder, kColumnName, kColumnAttributes + 1);
    PrintTable(headings, rows, json);
    return 0;
}

} // namespace pellidor::cli
