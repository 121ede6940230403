// pellidor rm [--yes] ITEM: a catalog or shelf folder moved to the Trash, as
// the Delete command of its context menu does.

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"

#include <sys/stat.h>

namespace pellidor::cli {

int RunRm(const Arguments& arguments)
{
    Arguments rest = arguments;
    const TerminalDialogs dialogs(TakeFlag(rest, "--yes"));
    if (rest.size() != 1)
        return Fail("usage: pellidor rm [--yes] ITEM", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    const auto item = FindShelfEntry(*root, rest[0], &error);
    if (!item)
        return Fail(error);
    const std::string path = item->GetPath();
    CMINVOKECOMMANDINFO info;
    item->OnDelete(&info);
    struct stat st { };
    if (::lstat(path.c_str(), &st) == 0)
        return Fail(dialogs.LastError().empty() ? "'" + rest[0] + "' was not deleted" : dialogs.LastError());
    return 0;
}

} // namespace pellidor::cli
