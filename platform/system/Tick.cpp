#include "platform/system/Tick.h"

#include <ctime>

namespace platform::system {

DWORD GetTickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Wraps at 2^32 like the system's counter; callers compare differences.
    const auto millis = static_cast<unsigned long long>(now.tv_sec) * 1000ULL
        + static_cast<unsigned long long>(now.tv_nsec) / 1000000ULL;
    return static_cast<DWORD>(millis);
}

} // namespace platform::system
