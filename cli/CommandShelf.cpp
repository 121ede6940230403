// pellidor shelf [--json] [SHELF-FOLDER]: the shelf's seven columns, in the
// shelf's order (shelf folders, then catalogs, each by name).

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"

#include "platform/ui/Strings.h"

#include <algorithm>

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

    folder->LoadChildren(false);
    std::vector<CCatItem*> children;
    for (int i = 0; i < folder->GetChildCount(); ++i)
        children.push_back(folder->GetChild(i));
    std::stable_sort(children.begin(), children.end(),
        [](CCatItem* a, CCatItem* b) { return a->CompareTo(*b, kShelfColumnName) < 0; });

    std::vector<std::string> headings;
    for (int column = 0; column < kShelfColumnCount; ++column)
        headings.push_back(platform::ui::LoadString(ShelfColumnHeadingId(column)));
    std::vector<std::vector<std::string>> rows;
    for (CCatItem* child : children) {
        std::vector<std::string> row;
        for (int column = 0; column < kShelfColumnCount; ++column)
            row.push_back(child->GetColumnText(column, false));
        rows.push_back(std::move(row));
    }
    PrintTable(headings, rows, json);
    return 0;
}

} // namespace pellidor::cli
