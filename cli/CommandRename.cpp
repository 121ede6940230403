// pellidor rename [--yes] SHELF-FOLDER NEWNAME: a shelf folder's new name.

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"

namespace pellidor::cli {

int RunRename(const Arguments& arguments)
{
    Arguments rest = arguments;
    const TerminalDialogs dialogs(TakeFlag(rest, "--yes"));
    if (rest.size() != 2)
        return Fail("usage: pellidor rename [--yes] SHELF-FOLDER NEWNAME", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    const auto folder = FindShelfFolder(*root, rest[0], &error);
    if (!folder)
        return Fail(error);
    if (folder->IsRoot())
        return Fail("the shelf itself cannot be renamed");
    if (!folder->Rename(nullptr, rest[1]))
        return Fail(dialogs.LastError().empty() ? "cannot rename '" + rest[0] + "'" : dialogs.LastError());
    return 0;
}

} // namespace pellidor::cli
