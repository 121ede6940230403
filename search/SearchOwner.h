#pragma once
// ISearchOwner: what the search worker needs of the one who started it (the
// search dialog, the command-line tool). Every call comes from the worker's
// thread.

#include "search/SearchCriteria.h"

#include <string>

namespace pellidor {

class CCatItem;

class ISearchOwner {
public:
    // The stop flag; read without a lock, so an atomic word.
    virtual bool IsStopRequested() const = 0;
    // Shows the folder being searched ("" when the walk is over): a copy
    // stored under a lock or queued, never a wait for the owner's thread to
    // take it. It may wait only as AddResult does, to deliver results.
    virtual void SetPathText(const std::string& text) = 0;
    // `criteria` is the worker's own copy, taken when the search started.
    virtual bool MatchesCriteria(const SearchCriteria& criteria, CCatItem& item) = 0;
    // Adds `item` to the results, on the owner's thread: false when it was
    // dropped (stop requested, insertion failed). The owner keeps its own
    // reference to what it keeps, and may gather results and deliver them
    // together, at the latest in PostEndOfSearch. Because the worker may wait
    // here for the owner's thread, every wait of that thread for the worker
    // must keep processing events.
    virtual bool AddResult(CCatItem& item) = 0;
    // The walk is over (also after a stop): queued to the owner's thread,
    // waiting for it only to deliver the results gathered. The dialog posts IDOK to its window here.
    virtual void PostEndOfSearch() = 0;

protected:
    ~ISearchOwner() = default;
};

} // namespace pellidor
