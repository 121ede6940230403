#pragma once
// CSearchThread: the search worker. It walks the shelf from the start folder,
// enters every catalog it meets, walks each catalog's whole folder tree and
// hands every entry that meets the criteria to its owner. One object serves
// every search of its owner; each search starts the thread anew.
//
// Memory: only the folders on the current path of the walk hold their
// children; each folder's children are released as soon as its subtree is
// done, so a catalog walk needs O(depth) objects plus what the owner keeps
// (and the offset of each list it has searched in the current catalog).

#include "catalog/ListWalkGuard.h"
#include "search/SearchCriteria.h"

#include <QThread>

#include <string>

namespace pellidor {

class CCatFolder;
class CShelfFolder;
class ISearchOwner;

class CSearchThread : public QThread {
    Q_OBJECT

public:
    explicit CSearchThread(QObject* parent = nullptr);
    ~CSearchThread() override;

    // Called just before start(), never while the thread runs: the owner, and
    // a copy of the criteria (from which the start folder, LookIn, and the
    // include-subfolders flag are taken) that every item of this search is
    // tested against, whatever the owner does to its own criteria meanwhile.
    void Setup(ISearchOwner* owner, const SearchCriteria& criteria);

    // The whole walk on the calling thread, then the path cleared and the end
    // posted: what the thread runs.
    void Walk();

    // The owner's wait for the worker's end (after setting its stop flag):
    // the calling thread keeps handling its events meanwhile, so a result
    // the worker is handing over synchronously, or a repaint, completes and
    // the two threads never wait for each other.
    void WaitProcessingEvents();

protected:
    void run() override;

private:
    void SearchShelfFolder(CShelfFolder& folder);
    // `hasList` false: the folder is entered and left without reading a
    // list (it has none, or the walk has met its list before).
    void SearchCatalogFolder(CCatFolder& folder, const std::string& path, bool hasList);

    // Set by Setup before the thread starts; then read by the worker only.
    ISearchOwner* owner_ = nullptr;
    SearchCriteria criteria_;
    // The lists of the current catalog met so far (worker only): each is
    // searched once, whatever a damaged catalog links where.
    CListWalkGuard walkGuard_;
};

} // namespace pellidor
