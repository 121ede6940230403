// pellidor export CATALOG FILE: the catalog's export file, byte for byte as
// the Export command of its context menu writes it. A catalog that cannot be
// opened, or an output that cannot be written whole, is an error and leaves
// no output file.

#include "cli/Commands.h"
#include "cli/ShelfSupport.h"

#include "items/ExportFile.h"

namespace pellidor::cli {

int RunExport(const Arguments& arguments)
{
    if (arguments.size() != 2)
        return Fail("usage: pellidor export CATALOG FILE", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    const auto catalog = FindCatalog(*root, arguments[0], &error);
    if (!catalog)
        return Fail(error);
    FileError fileError;
    if (!catalog->ExportToFile(arguments[1], &fileError))
        return Fail("cannot export: " + FileErrorText(fileError));
    return 0;
}

} // namespace pellidor::cli
