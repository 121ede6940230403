#pragma once
// Message boxes. With a window system a modal box over the owner; without one
// (the command-line tool) the text goes to the terminal, and a question is
// asked there when standard input is a terminal, else answered by the
// non-interactive answer (No unless the tool was told --yes).

#include "platform/com/Types.h"

#include <functional>
#include <string_view>

namespace platform::ui {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK_ = 1;
constexpr int IDCANCEL_ = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);

// Tests and the command-line tool: every box goes to the hook instead, which
// answers the button. Null restores the default.
using MessageBoxHook = std::function<int(std::string_view text, std::string_view caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);

// The answer to questions when nobody can be asked (no window system, no
// terminal): true answers Yes/OK.
void SetNonInteractiveYes(bool yes);

} // namespace platform::ui
