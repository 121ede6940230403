#pragma once
// CListWalkGuard: every walk over a catalog's folder tree (export,
// statistics, search, dump) reads each entry list at most once. A sound
// catalog gives every folder a list of its own. A damaged one may point a
// folder back at a list on the walk's path (its own or an ancestor's), which
// would send the walk round for ever, or at a list walked already, which
// repeats entries and, with lists shared many times over, makes the walk
// exponential. A folder whose list was met before is walked as a folder
// without a list.
//
// One guard serves one walk of one catalog. O(lists walked) memory.

#include "platform/com/Types.h"

#include <string>
#include <unordered_set>

namespace pellidor {

class CListWalkGuard {
public:
    // `rootListOffset` is where kRootList leads (the header's
    // RootListOffset), so that a folder pointing back at the root list is
    // known for what it is.
    explicit CListWalkGuard(DWORD rootListOffset = 0) : rootList_(rootListOffset) { }

    // A guard for the catalog at `catalogPath`: its root list's offset read
    // from the header (through a read scope that keeps the catalog, if
    // any). A catalog that cannot be opened gives a guard with no root
    // offset; its lists cannot be read anyway.
    static CListWalkGuard ForCatalog(const std::string& catalogPath);

    // True the first time the walk meets the list at `listOffset` (kRootList
    // for the root list): the walk reads it. False for a list met before and
    // for a folder without a list (kNoList): the walk reads nothing.
    bool Enter(DWORD listOffset);

    std::size_t ListsEntered() const { return entered_.size(); }

private:
    DWORD rootList_;
    std::unordered_set<DWORD> entered_;
};

} // namespace pellidor
