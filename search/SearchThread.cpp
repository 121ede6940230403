#include "search/SearchThread.h"

#include "catalog/CatFile.h"
#include "items/ShelfFolder.h"
#include "items/ShelfItem.h"
#include "namespace/CatFolder.h"
#include "search/SearchOwner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <optional>
#include <utility>
#include <vector>

namespace pellidor {

CSearchThread::CSearchThread(QObject* parent) : QThread(parent)
{
}

CSearchThread::~CSearchThread()
{
    // The owner ends a search before it lets go of the worker; this only
    // keeps a forgotten one from outliving its object.
    wait();
}

void CSearchThread::Setup(ISearchOwner* owner, const SearchCriteria& criteria)
{
    owner_ = owner;
    criteria_ = criteria;
}

void CSearchThread::WaitProcessingEvents()
{
    // In slices rather than until finished(): that signal is emitted just
    // before the thread counts as finished, so a loop ended by it could
    // still find the thread running and wait for good.
    constexpr int kSliceMs = 20;
    while (!wait(QDeadlineTimer(kSliceMs)))
        QCoreApplication::processEvents();
}

void CSearchThread::run()
{
    Walk();
}

void CSearchThread::Walk()
{
    if (owner_ == nullptr)
        return;
    if (criteria_.LookIn)
        SearchShelfFolder(*criteria_.LookIn);
    owner_->SetPathText(std::string());
    // The start folder is the owner's; the worker's copy lets go of it now
    // rather than at the next search.
    criteria_.LookIn.Reset();
    owner_->PostEndOfSearch();
}

// Shelf folders keep their children: they are shared with the "Look in" box.
void CSearchThread::SearchShelfFolder(CShelfFolder& folder)
{
    if (!folder.LoadChildren(false))
        return;
    // The count is read again at every step.
    for (int i = 0; i < folder.GetChildCount(); ++i) {
        CCatItem* child = folder.GetChild(i);
        if (auto* catalog = dynamic_cast<CShelfItem*>(child)) {
            // After a stop the catalog is only entered and left, unopened.
            std::optional<CatalogReadScope> keepOpen;
            walkGuard_ = CListWalkGuard();
            if (!owner_->IsStopRequested()) {
                keepOpen.emplace(catalog->CatalogPath());
                walkGuard_ = CListWalkGuard::ForCatalog(catalog->CatalogPath());
            }
            SearchCatalogFolder(*catalog, std::string(), walkGuard_.Enter(catalog->Size()));
        } else if (auto* shelfFolder = dynamic_cast<CShelfFolder*>(child); shelfFolder && criteria_.IncludeSubfolders)
            SearchShelfFolder(*shelfFolder);
    }
}

// Every match of a folder is delivered before any match in its sub-folders,
// and sub-folders are searched in catalog order.
void CSearchThread::SearchCatalogFolder(CCatFolder& folder, const std::string& path, bool hasList)
{
    if (owner_->IsStopRequested())
        return;
    owner_->SetPathText(path);
    if (hasList && folder.LoadChildren(false)) {
        // Borrowed from the folder's list, which holds them until the
        // release below; each with whether its list is to be read.
        std::vector<std::pair<CCatFolder*, bool>> subFolders;
        for (int i = 0; i < folder.GetChildCount(); ++i) {
            CCatItem* child = folder.GetChild(i);
            if (owner_->MatchesCriteria(criteria_, *child)) {
                // After a stop nothing more is added; the rest of the walk
                // only leaves the folders it is in.
                if (owner_->IsStopRequested())
                    break;
                owner_->AddResult(*child);
            }
            if (child->IsFolder()) {
                if (auto* subFolder = dynamic_cast<CCatFolder*>(child))
                    subFolders.emplace_back(subFolder, walkGuard_.Enter(subFolder->Size()));
            }
        }
        for (const auto& [subFolder, subHasList] : subFolders) {
            const std::string name = subFolder->GetName();
            SearchCatalogFolder(*subFolder, path.empty() ? name : path + '\\' + name, subHasList);
        }
    }
    folder.ReleaseChildren();
}

} // namespace pellidor
