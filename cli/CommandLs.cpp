// pellidor ls [--json] CATALOG [FOLDER]: a catalog folder's five columns,
// folders first, then by name.

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/ShelfSupport.h"
#include "module/Resources.h"

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

    // A catalog folder shows the item columns up to the attributes.
    constexpr int kColumns = kColumnAttributes + 1;
    Row headings;
    for (int column = 0; column < kColumns; ++column)
        headings.push_back(LoadString(ItemColumnHeadingId(column)));
    if (!PrintTable(headings, ChildRows(*folder, kColumnName, kColumns), json))
        return Fail("cannot write the folder's list");
    return 0;
}

} // namespace pellidor::cli
