#pragma once
// The change notification between all loaded copies of the library: after
// any change to the set of catalogs or shelf folders, the shell is told that
// the shelf changed (under the Desktop and under My Computer), and the
// change message is posted to every view window, in every process.

#include "platform/com/Types.h"

#include <vector>

namespace pellidor {

// The registered message's name and the window text every view bears.
inline constexpr const char* kChangeMessageName = "UM_PELLIDOR_CHANGED";
inline constexpr const char* kViewWindowText = "#CatView#";

// The change message's id, registered while the library loads, before any
// object exists. View windows compare incoming messages against it.
UINT ChangeMessageId();

// No arguments, no result, no failure: what cannot be told is left untold.
// Runs on the caller's thread and never waits for a receiver.
void NotifyCatalogsChanged();

// The identifier lists the notification names, terminator included: the
// shelf under the Desktop, and the shelf under My Computer.
std::vector<BYTE> ShelfOnDesktopIdList();
std::vector<BYTE> ShelfInMyComputerIdList();

} // namespace pellidor
