#include "reader/ReadProgress.h"

namespace pellidor {

void CReadProgress::ShowPath(const std::string& path)
{
    folders_.fetch_add(1, std::memory_order_relaxed);
    const std::lock_guard<std::mutex> hold(pathLock_);
    path_.assign(path);
}

std::string CReadProgress::CurrentPath() const
{
    const std::lock_guard<std::mutex> hold(pathLock_);
    return path_;
}

} // namespace pellidor
