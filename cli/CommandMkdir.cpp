// pellidor mkdir NAME [SHELF-FOLDER]: a new shelf folder, as the shelf
// view's New Folder command makes it.

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"

#include "platform/system/Errors.h"

namespace pellidor::cli {

int RunMkdir(const Arguments& arguments)
{
    if (arguments.empty() || arguments.size() > 2)
        return Fail("usage: pellidor mkdir NAME [SHELF-FOLDER]", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    const auto folder = FindShelfFolder(*root, arguments.size() > 1 ? arguments[1] : std::string(), &error);
    if (!folder)
        return Fail(error);
    DWORD failure = 0;
    if (!folder->CreateSubFolder(arguments[0], &failure))
        return Fail("cannot create '" + arguments[0] + "': " + platform::system::ErrorMessage(failure));
    return 0;
}

} // namespace pellidor::cli
