#include "search/SearchEngine.h"

#include "items/CatItem.h"
#include "search/Wildcard.h"

#include <string>

namespace pellidor {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kDaysPerMonth = 30;
constexpr std::uint64_t kBytesPerKB = 1024;

std::int32_t ChosenTime(const SearchCriteria& criteria, const CatRecord& record)
{
    switch (criteria.DateKind) {
    case kDateCreated:
        return record.CreationTime;
    case kDateAccessed:
        return record.LastAccessTime;
    default:
        return record.LastWriteTime;
    }
}

bool NeedsName(const SearchCriteria& criteria)
{
    return !criteria.NamePattern.empty() || !criteria.TypeExtensions.empty();
}

} // namespace

bool PassesNameTest(const SearchCriteria& criteria, std::string_view name)
{
    return criteria.NamePattern.empty() || MatchWildcard(name, criteria.NamePattern);
}

bool PassesDateTest(const SearchCriteria& criteria, const CatRecord& record, Clock clock)
{
    if (criteria.DateFilter == 0)
        return true;
    const std::int32_t time = ChosenTime(criteria, record);
    if (time == kNoTime)
        return false;
    if (criteria.DateRange == kDateDays || criteria.DateRange == kDateMonths) {
        // Signed and truncated toward zero: anything up to a day in the
        // future counts as today, further ahead as negative days.
        const std::int64_t days = (clock() - time) / kSecondsPerDay;
        const std::int64_t limit = criteria.DateRange == kDateDays
            ? static_cast<std::int64_t>(criteria.Days)
            : static_cast<std::int64_t>(criteria.Months) * kDaysPerMonth;
        return days <= limit;
    }
    return criteria.FromDate <= time && time <= criteria.ToDate;
}

bool PassesTypeTest(const SearchCriteria& criteria, std::string_view name)
{
    const std::string_view list = criteria.TypeExtensions;
    if (list.empty())
        return true;
    std::string pattern;
    // From the last extension to the first.
    std::size_t end = list.size();
    while (true) {
        std::size_t begin = end;
        while (begin > 0 && list[begin - 1] != ';')
            --begin;
        pattern.assign(1, '*');
        pattern.append(list.substr(begin, end - begin));
        if (MatchWildcard(name, pattern))
            return true;
        if (begin == 0)
            return false;
        end = begin - 1;
    }
}

bool PassesSizeTest(const SearchCriteria& criteria, const CatRecord& record)
{
    if (criteria.SizeMode != kSizeAtLeast && criteria.SizeMode != kSizeAtMost)
        return true;
    if (record.IsFolder())
        return false;
    const std::uint64_t bound = static_cast<std::uint64_t>(criteria.SizeKB) * kBytesPerKB;
    const std::uint64_t size = record.Size;
    return criteria.SizeMode == kSizeAtLeast ? size >= bound : size <= bound;
}

bool MatchesRecord(const SearchCriteria& criteria, std::string_view name, const CatRecord& record, Clock clock)
{
    return PassesNameTest(criteria, name) && PassesDateTest(criteria, record, clock) && PassesTypeTest(criteria, name)
        && PassesSizeTest(criteria, record);
}

bool MatchesCriteria(const SearchCriteria& criteria, CCatItem& item, Clock clock)
{
    // GetName is virtual and copies; an entry is asked for it only when a
    // test looks at names.
    const std::string name = NeedsName(criteria) ? item.GetName() : std::string();
    return MatchesRecord(criteria, name, item.Record(), clock);
}

std::string MakeNamePattern(std::string_view typed)
{
    if (typed.empty())
        return {};
    std::string pattern;
    pattern.reserve(typed.size() + 2);
    pattern += '*';
    pattern += typed;
    pattern += '*';
    return pattern;
}

} // namespace pellidor
