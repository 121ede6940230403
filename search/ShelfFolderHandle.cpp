#include "search/ShelfFolderHandle.h"

#include "items/ShelfFolder.h"

#include <utility>

namespace pellidor {

ShelfFolderHandle::ShelfFolderHandle(const platform::com::ComPtr<CShelfFolder>& folder) : folder_(folder.Get())
{
    if (folder_ != nullptr)
        folder_->AddRef();
}

ShelfFolderHandle::ShelfFolderHandle(const ShelfFolderHandle& other) : folder_(other.folder_)
{
    if (folder_ != nullptr)
        folder_->AddRef();
}

ShelfFolderHandle::ShelfFolderHandle(ShelfFolderHandle&& other) noexcept
    : folder_(std::exchange(other.folder_, nullptr))
{
}

ShelfFolderHandle& ShelfFolderHandle::operator=(ShelfFolderHandle other) noexcept
{
    std::swap(folder_, other.folder_);
    return *this;
}

ShelfFolderHandle::~ShelfFolderHandle()
{
    Reset();
}

void ShelfFolderHandle::Reset()
{
    if (CShelfFolder* folder = std::exchange(folder_, nullptr))
        folder->Release();
}

} // namespace pellidor
