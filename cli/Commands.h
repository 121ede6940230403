#pragma once
// The commands of the command-line tool. Each lives in its own file and
// takes the arguments after its name; it prints its own errors as one line
// on stderr and answers the exit status.

#include <string>
#include <vector>

namespace pellidor::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage; // the arguments, for the help text
    const char* summary; // one line
    int (*run)(const Arguments& arguments);
};

// Every command, in the order the help text lists them.
const std::vector<Command>& AllCommands();

// "pellidor: TEXT" on stderr; answers `status` for `return Fail(…)`.
int Fail(const std::string& text, int status = 1);

} // namespace pellidor::cli
