// pellidor mv [--yes] ITEM SHELF-FOLDER: a catalog or shelf folder moved into
// a shelf folder, exactly as a drop on that folder moves it.

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"

#include "items/DropTarget.h"

#include <string>
#include <sys/stat.h>

namespace pellidor::cli {

namespace {

bool Exists(const std::string& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0;
}

// Why a drop refuses a shelf item: the two moves it never makes.
std::string WhyNot(const std::string& source, const std::string& destination)
{
    if (source.empty())
        return {};
    if (destination == source || destination.rfind(source + "/", 0) == 0)
        return ": the destination folder is inside it";
    if (source.rfind(destination + "/", 0) == 0 && source.find('/', destination.size() + 1) == std::string::npos)
        return ": it is already there";
    return {};
}

} // namespace

int RunMv(const Arguments& arguments)
{
    Arguments rest = arguments;
    const TerminalDialogs dialogs(TakeFlag(rest, "--yes"));
    if (rest.size() != 2)
        return Fail("usage: pellidor mv [--yes] ITEM SHELF-FOLDER", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    const auto item = FindShelfEntry(*root, rest[0], &error);
    if (!item)
        return Fail(error);
    const auto folder = FindShelfFolder(*root, rest[1], &error);
    if (!folder)
        return Fail(error);

    const auto data = item.As<IDataObject>();
    const auto target = platform::com::MakeCom<CDropTarget>(folder.Get());
    DWORD effect = DROPEFFECT_MOVE;
    target->DragEnter(data.Get(), MK_LBUTTON, POINTL{}, &effect);
    if (effect != DROPEFFECT_MOVE)
        return Fail("'" + rest[0] + "' cannot be moved there" + WhyNot(item->GetPath(), folder->GetPath()));
    const std::string source = item->GetPath();
    target->Drop(data.Get(), 0, POINTL{}, &effect);
    if (!dialogs.LastError().empty())
        return Fail(dialogs.LastError());
    if (Exists(source) && source.rfind(folder->GetPath() + "/", 0) != 0)
        return Fail("'" + rest[0] + "' was not moved");
    return 0;
}

} // namespace pellidor::cli
