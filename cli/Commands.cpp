#include "cli/Commands.h"

#include <cstdio>

namespace pellidor::cli {

// Each command's entry point, defined in its own file.

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = {};
    return commands;
}

int Fail(const std::string& text, int status)
{
    std::fprintf(stderr, "pellidor: %s\n", text.c_str());
    return status;
}

} // namespace pellidor::cli
