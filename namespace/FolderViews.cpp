#include "namespace/FolderViews.h"

#include <atomic>

namespace pellidor {

namespace {

// Set once while the library loads, read on any window thread.
std::atomic<IFolderViews*> g_views{nullptr};

} // namespace

void SetFolderViews(IFolderViews* views)
{
    g_views.store(views);
}

IFolderViews* FolderViews()
{
    return g_views.load();
}

} // namespace pellidor
