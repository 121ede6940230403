#pragma once
// Window messages. A window is a widget; its window text is its window title
// (for child widgets too, where Qt does not draw it). A widget that takes
// messages also derives from MessageHandler.
//
// PostMessage queues the call on the window's thread and never waits;
// SendMessage calls directly and must be made on the window's thread.
// Registered messages and clipboard formats share one table of names, with
// ids from 0xC000 up, one id per name (names compare without regard to case,
// as the window system's atoms do).

#include "platform/com/Types.h"

#include <string>
#include <string_view>

namespace platform::ui {

class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // WM_COMMAND arrives with the command id in the low word of wParam.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

UINT RegisterWindowMessage(std::string_view name);
UINT RegisterClipboardFormat(std::string_view name);

void SetWindowText(HWND window, std::string_view text);
std::string GetWindowText(HWND window);

// False when the window is null or takes no messages. A window destroyed
// before the call runs is skipped.
bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_COMMAND with the id, queued.
bool PostCommand(HWND window, int commandId);

// Posts the registered message `messageName` (wParam 0, lParam 0) to every
// window, in every process on the session bus, whose window text is exactly
// `windowText` (byte-wise, case-sensitive): in this process directly, in
// other processes through a session-bus signal that they turn into the same
// post. Without a session bus it reaches this process only. Never waits for
// a receiver.
void BroadcastRegisteredMessage(std::string_view messageName, std::string_view windowText);

// Makes this process a receiver of broadcasts from other processes (needs a
// running Qt application; done by the first RegisterWindowMessage when one
// exists). False without a session bus.
bool ListenForBroadcasts();

} // namespace platform::ui
