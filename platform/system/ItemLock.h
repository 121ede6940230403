#pragma once
// The writer's lock of File (File.h), taken on an item that is about to be
// moved, renamed or deleted: on a file, or on every regular file at any
// depth below a folder. Once granted, none of those files was open and no
// File opens one until the lock is released; like File it never waits: a
// file held open makes Lock fail at once with 32 (sharing violation).
// Released when destroyed.
//
// A symbolic link, a pipe or a device is moved as itself, so nothing is
// locked for it. What this user may not read is passed over: the opens of
// this user cannot hold it either.

#include "platform/com/Types.h"

#include <cstddef>
#include <string>
#include <vector>

namespace platform::system {

class ItemLock {
public:
    ItemLock() = default;
    ~ItemLock();
    ItemLock(ItemLock&& other) noexcept;
    ItemLock& operator=(ItemLock&& other) noexcept;
    ItemLock(const ItemLock&) = delete;
    ItemLock& operator=(const ItemLock&) = delete;

    // Adds the locks of `path`: 0, or the Windows error with none of the
    // files of `path` locked (what was held before stays held). A path that
    // does not exist locks nothing and answers 0: the operation reports it.
    DWORD Lock(const std::string& path);
    void Release();
    // The files held.
    std::size_t Count() const { return held_.size(); }

private:
    DWORD LockAt(int directory, const char* name);
    DWORD LockFileAt(int directory, const char* name);
    DWORD LockTreeAt(int directory, const char* name);
    void ReleaseFrom(std::size_t first);

    std::vector<int> held_; // descriptors, each holding its file's lock
};

} // namespace platform::system
