#pragma once
// The module lock count: while it is above zero the library stays loaded.
// Every object the shell may hold keeps one ModuleLock member for its life.

namespace pellidor {

void LockModule();
void UnlockModule();
long ModuleLockCount();

class ModuleLock {
public:
    ModuleLock() { LockModule(); }
    ModuleLock(const ModuleLock&) { LockModule(); }
    ModuleLock& operator=(const ModuleLock&) = default;
    ~ModuleLock() { UnlockModule(); }
};

} // namespace pellidor
