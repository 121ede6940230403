#pragma once
// rundll32 LIBRARY,ENTRY [ARGS]: runs one entry of a library in a process
// of its own, as the shell starts a library's window from outside
// (a search window from the Find menu).
//
// The entry has C linkage and the four arguments of RunDllEntry; it gets
// no window, the library's handle, ARGS as one text and SW_SHOWNORMAL.

#include "platform/com/Types.h"

#include <QStringList>

#include <optional>
#include <string>

namespace host::rundll32 {

using RunDllEntry = void (*)(HWND window, HINSTANCE module, LPSTR arguments, int show);

struct Command {
    std::string library;
    std::string entry;
    std::string arguments;
};

// The command in the program's arguments (its own name left out). Some
// arguments, joined by blanks, name LIBRARY,ENTRY: the library is the text
// before a comma, so a path with blanks or commas works, unquoted as a
// shell splits it or as one argument as the shell's execute hands it. The
// first comma (argument by argument, from each one's last comma back) that
// makes a library that is there is taken, else the first that makes a whole
// command: the last comma of the first argument that has one. ENTRY runs
// to the next blank; the text after it and the remaining arguments, joined
// by blanks, are ARGS. None, with `error` set, when no comma makes a whole
// command.
std::optional<Command> ParseCommand(const QStringList& arguments, std::string& error);

// Loads the library, calls its entry, serves the windows the entry left
// open until they close, and unloads the library unless its
// DllCanUnloadNow (when it exports one) answers that something of it still
// lives: then it stays loaded until the process ends. Answers the exit
// status: 0, or 1 with the reason on stderr when the library cannot be
// loaded or has no such entry. Needs a QApplication.
int Run(const Command& command);

} // namespace host::rundll32
