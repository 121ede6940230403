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

// Whether the command shows windows (read --gui), so that the program
// needs a window system rather than the terminal alone.
bool WantsWindowSystem(const std::string& command, const Arguments& arguments);
// Why no window can be shown (no display to connect to); empty when one can.
std::string MissingDisplay();

// "pellidor: TEXT" on stderr; answers `status` for `return Fail(…)`.
int Fail(const std::string& text, int status = 1);

} // namespace pellidor::cli
