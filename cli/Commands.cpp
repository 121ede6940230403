#include "cli/Commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace pellidor::cli {

// Each command's entry point, defined in its own file.
int RunCatdir(const Arguments& arguments);
int RunRead(const Arguments& arguments);
int RunDump(const Arguments& arguments);
int RunFind(const Arguments& arguments);
int RunShelf(const Arguments& arguments);
int RunLs(const Arguments& arguments);
int RunExport(const Arguments& arguments);
int RunInfo(const Arguments& arguments);
int RunMkdir(const Arguments& arguments);
int RunRename(const Arguments& arguments);
int RunMv(const Arguments& arguments);
int RunRm(const Arguments& arguments);
int RunSetup(const Arguments& arguments);

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = {
        {"catdir", "[DIR]", "show the catalog directory, or set it (and create it)", RunCatdir},
        {"read", "[--gui] PATH",
            "read a drive root or folder into a new catalog; prints its path (--gui: under the reading dialog)",
            RunRead},
        {"dump", "[--json] CATALOG | [--json] --volume PATH",
            "show a catalog's header and every entry list, or PATH's volume facts and their source", RunDump},
        {"find",
            "[TEXT] [--in SHELF-FOLDER] [--no-subfolders] [--type .EXT;...] [--min KB | --max KB]\n"
            "      [--changed | --created | --accessed] [--between \"YYYY-MM-DD HH:MM\" \"YYYY-MM-DD HH:MM\" |\n"
            "      --days N | --months N] [--json]",
            "find catalogued files and folders on the shelf by name, date, type and size", RunFind},
        {"shelf", "[--json] [SHELF-FOLDER]", "list the catalogs and folders of the shelf or of a shelf folder",
            RunShelf},
        {"ls", "[--json] CATALOG [FOLDER]", "list a folder of a catalog (by the catalog's path or name)", RunLs},
        {"export", "CATALOG FILE", "export a catalog's files to a semicolon-separated text file", RunExport},
        {"info", "[--json] CATALOG [FOLDER] [--name TEXT] [--content TEXT]",
            "show a catalog's facts, file size and counts below its root or FOLDER, or give it a new name", RunInfo},
        {"mkdir", "NAME [SHELF-FOLDER]", "make a new shelf folder", RunMkdir},
        {"rename", "[--yes] SHELF-FOLDER NEWNAME", "give a shelf folder a new name", RunRename},
        {"mv", "[--yes] ITEM SHELF-FOLDER", "move a catalog or shelf folder into a shelf folder", RunMv},
        {"rm", "[--yes] ITEM", "move a catalog or shelf folder to the Trash", RunRm},
        {"setup", "install [--desktop] [--my-computer] [--catdir DIR] | uninstall [--delete-catalogs]",
            "install the library for the explorer from this program's folder, or remove it", RunSetup},
    };
    return commands;
}

std::string MissingDisplay()
{
    // Qt ends the program when its platform plugin finds no display, so the
    // plugins that need one are asked about first.
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && value[0] != '\0';
    };
    const char* platforms = std::getenv("QT_QPA_PLATFORM");
    const std::string wanted = platforms != nullptr ? platforms : "";
    if (wanted.empty()) {
        if (set("DISPLAY") || set("WAYLAND_DISPLAY"))
            return {};
    } else {
        for (std::size_t start = 0; start <= wanted.size();) {
            const std::size_t end = std::min(wanted.find(';', start), wanted.size());
            const std::string name = wanted.substr(start, end - start);
            if (name.rfind("xcb", 0) == 0 ? set("DISPLAY") : name.rfind("wayland", 0) != 0 || set("WAYLAND_DISPLAY"))
                return {};
            start = end + 1;
        }
    }
    return "no display to show the reading dialog on (DISPLAY and WAYLAND_DISPLAY are not set); run it in a "
           "desktop session, or read without --gui";
}

int Fail(const std::string& text, int status)
{
    std::fprintf(stderr, "pellidor: %s\n", text.c_str());
    return status;
}

} // namespace pellidor::cli
