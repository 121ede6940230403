#pragma once
// SearchCriteria: what the user asks the search for. The dialog's pages fill
// it; a search runs on a copy taken when it starts, so a page that changes
// the criteria meanwhile never mixes two sets within one search.

#include "platform/com/Types.h"
#include "search/ShelfFolderHandle.h"

#include <cstdint>
#include <string>

namespace pellidor {

// Seconds since 1970-01-01 UTC; the source of "now" for the criteria and the
// date test, replaceable in tests.
using Clock = std::int64_t (*)();
std::int64_t SystemClock();

enum DateRangeKind : int { kDateBetween = 0, kDateDays = 1, kDateMonths = 2 };
enum DateTimeKind : int { kDateChanged = 0, kDateCreated = 1, kDateAccessed = 2 };
enum SizeModeKind : int { kSizeAny = 0, kSizeAtLeast = 1, kSizeAtMost = 2 };

// The lower bound of a fresh "between" range: four weeks before now.
constexpr std::int32_t kDefaultRangeSeconds = 2419200;
constexpr int kMinDays = 1;
constexpr int kMaxDays = 999;

struct SearchCriteria {
    // Initial values, with "now" read once from `clock`.
    explicit SearchCriteria(Clock clock = SystemClock);

    int DateFilter = 0; // 0 all files, 1 only those passing the date test
    int DateRange = kDateBetween;
    int DateKind = kDateChanged;
    std::int32_t FromDate = 0;
    std::int32_t ToDate = 0;
    int Days = 1;
    int Months = 1;
    std::string NamePattern; // empty: any name
    bool IncludeSubfolders = true;
    // Where the walk starts; set before every search. Copies share the
    // folder object (the shelf objects are shared with the "Look in" box),
    // so the worker's copy keeps it alive while it walks.
    ShelfFolderHandle LookIn;
    DWORD SizeKB = 0;
    int SizeMode = kSizeAny;
    std::string TypeExtensions; // ".htm;.html"; empty: any type
};

} // namespace pellidor
