#include "cli/Commands.h"

#include <cstdio>

namespace pellidor::cli {

// Each command's entry point, defined in its own file.
int RunCatdir(const Arguments& arguments);
int RunRead(const Arguments& arguments);
int RunDump(const Arguments& arguments);
int RunFind(const Arguments& arguments);

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = {
        {"catdir", "[DIR]", "show the catalog directory, or set it (and create it)", RunCatdir},
        {"read", "PATH", "read a drive root or folder into a new catalog; prints its path", RunRead},
        {"dump", "[--json] CATALOG", "show a catalog's header and every entry list", RunDump},
        {"find",
            "[TEXT] [--in SHELF-FOLDER] [--no-subfolders] [--type .EXT;...] [--min KB | --max KB]\n"
            "      [--changed | --created | --accessed] [--between \"YYYY-MM-DD HH:MM\" \"YYYY-MM-DD HH:MM\" |\n"
            "      --days N | --months N] [--json]",
            "find catalogued files and folders on the shelf by name, date, type and size", RunFind},
    };
    return commands;
}

int Fail(const std::string& text, int status)
{
    std::fprintf(stderr, "pellidor: %s\n", text.c_str());
    return status;
}

} // namespace pellidor::cli
