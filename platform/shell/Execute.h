#pragma once
// Starting things: a file or URL with the desktop's default application, and
// the request to open a folder of the namespace by its identifier list.

#include "platform/com/ShellTypes.h"
#include "platform/com/Types.h"

#include <functional>
#include <string>

namespace platform::shell {

// Error answers below 33, with the window system's values.
constexpr int SE_ERR_OUT_OF_MEMORY = 0;
constexpr int SE_ERR_FNF = 2; // file not found
constexpr int SE_ERR_PNF = 3; // path not found
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_NOASSOC = 31; // no application for the type
// A success answer (any value above 32).
constexpr int kExecuteOk = 42;

struct ExecuteRequest {
    HWND owner = nullptr;
    std::string verb; // empty: the default verb
    std::string file;
    std::string parameters;
    std::string directory;
    int show = SW_SHOWNORMAL;
};

// Opens `file` (a path or a URL) with `verb` (null or "open": the default
// application, through xdg-open). A program (an executable file holding an
// ELF image or starting with "#!", by its path or, for a bare name, found
// on PATH) is started itself instead, with `parameters` split as a command
// line is (blanks between arguments, double quotes around one with blanks)
// and `directory` (empty: this process's) as its working directory; a
// document's opener gets no parameters. Answers a value above 32 when it was
// started, else an error: SE_ERR_FNF for a path that does not exist,
// SE_ERR_ACCESSDENIED for a program that could not be started,
// SE_ERR_NOASSOC when no opener could be started or the verb is not
// "open"/"explore". The platform's own programs ("rundll32") are found
// beside the running program or the platform's library, never on PATH, and
// get `parameters` whole as their one argument (none when empty), since
// they read it as a command line of their own; SE_ERR_FNF when the program
// is not there.
int ShellExecute(HWND owner, const char* verb, const std::string& file, const std::string& parameters,
    const std::string& directory, int show);

// Tests: every ShellExecute goes to the hook instead and answers what it
// answers; nothing is started. Null restores the default.
void SetExecuteHook(std::function<int(const ExecuteRequest&)> hook);

struct IdListRequest {
    HWND owner = nullptr;
    std::string verb; // "open" or "explore"
    std::string className; // "folder"
    int show = SW_SHOWNORMAL;
    LPCITEMIDLIST idList = nullptr; // absolute; valid during the call only
};

// Opens the namespace folder named by `absolute` in a file-manager window:
// delivered to the registered handler (the host's window). Answers the
// handler's result, or SE_ERR_NOASSOC when none is registered or the list
// is null.
int ShellExecuteIdList(HWND owner, const char* verb, LPCITEMIDLIST absolute, const char* className, int show);
// Null removes the handler.
void SetIdListHandler(std::function<int(const IdListRequest&)> handler);

} // namespace platform::shell
