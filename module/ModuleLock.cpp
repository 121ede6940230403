#include "module/ModuleLock.h"

#include <atomic>

namespace pellidor {

namespace {
// Objects are released on whatever thread the shell drops them.
std::atomic<long> g_locks{0};
} // namespace

void LockModule()
{
    g_locks.fetch_add(1, std::memory_order_relaxed);
}

void UnlockModule()
{
    g_locks.fetch_sub(1, std::memory_order_relaxed);
}

long ModuleLockCount()
{
    return g_locks.load(std::memory_order_relaxed);
}

} // namespace pellidor
