#pragma once
// The tests an entry must pass to be a search result, in the order they are
// made: name, date, type, size. The first that fails ends the test.

#include "catalog/CatRecord.h"
#include "search/SearchCriteria.h"

#include <string_view>

namespace pellidor {

class CCatItem;

// An empty pattern passes every name.
bool PassesNameTest(const SearchCriteria& criteria, std::string_view name);
// "Now" is read from `clock` once, at the test. A time of -1 (not recorded)
// never passes an active test; a time in the future passes the day and
// month ranges.
bool PassesDateTest(const SearchCriteria& criteria, const CatRecord& record, Clock clock);
// Passes when the name ends in one of the ";"-separated extensions (each
// taken as "*" + extension, so wildcards keep their meaning).
bool PassesTypeTest(const SearchCriteria& criteria, std::string_view name);
// Sizes compare as unsigned 32-bit numbers against SizeKB × 1024 taken in 64
// bits, so a bound of 4 GB or more is never cut down to a small one. A folder
// has no size (its Size field locates its list in the catalog), so it passes
// only when no size is asked for.
bool PassesSizeTest(const SearchCriteria& criteria, const CatRecord& record);

// All four, for an entry named `name` (the item's GetName) with `record`.
bool MatchesRecord(const SearchCriteria& criteria, std::string_view name, const CatRecord& record, Clock clock);
// All four, for an item of a catalog.
bool MatchesCriteria(const SearchCriteria& criteria, CCatItem& item, Clock clock = SystemClock);

// The dialog's form of a typed name: "*" + text + "*", empty stays empty.
std::string MakeNamePattern(std::string_view typed);

} // namespace pellidor
