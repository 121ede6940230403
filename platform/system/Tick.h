#pragma once

#include "platform/com/Types.h"

namespace platform::system {

// Milliseconds since the system started, wrapping at 2^32.
DWORD GetTickCount();

} // namespace platform::system
