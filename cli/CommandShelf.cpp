// pellidor shelf [--json] [SHELF-FOLDER]: the shelf's seven columns, in the
// shelf's order (shelf folders, then catalogs, each by name).

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/ShelfSupport.h"
#include "module/Resources.h"

namespace pellidor::cli {

int RunShelf(const Arguments& arguments)
{
    Arguments rest = arguments;
    const bool json = TakeFlag(rest, "--json");
    if (rest.size() > 1)
        return Fail("usage: pellidor shelf [--json] [SHELF-FOLDER]", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    const auto folder = FindShelfFolder(*root, rest.empty() ? std::string() : rest.front(), &error);
    if (!folder)
        return Fail(error);

    Row headings;
    for (int column = 0; column < kShelfColumnCount; ++column)
        headings.push_back(LoadString(ShelfColumnHeadingId(column)));
    if (!PrintTable(headings, ChildRows(*folder, kShelfColumnName, kShelfColumnCount), json))
        return Fail("cannot write the shelf");
    return 0;
}

} // namespace pellidor::cli
