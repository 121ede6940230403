#pragma once
// ShelfFolderHandle: an owning reference to a shelf folder that a value type
// can hold without the shelf's class tree. Copies share the folder (each
// holds a reference); the last one to go releases it.

#include "platform/com/ComPtr.h"

namespace pellidor {

class CShelfFolder;

class ShelfFolderHandle {
public:
    ShelfFolderHandle() = default;
    // Takes one reference of its own.
    ShelfFolderHandle(const platform::com::ComPtr<CShelfFolder>& folder);
    ShelfFolderHandle(const ShelfFolderHandle& other);
    ShelfFolderHandle(ShelfFolderHandle&& other) noexcept;
    ShelfFolderHandle& operator=(ShelfFolderHandle other) noexcept;
    ~ShelfFolderHandle();

    CShelfFolder* Get() const { return folder_; }
    CShelfFolder& operator*() const { return *folder_; }
    explicit operator bool() const { return folder_ != nullptr; }
    void Reset();

private:
    CShelfFolder* folder_ = nullptr;
};

} // namespace pellidor
