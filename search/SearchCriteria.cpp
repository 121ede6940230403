#include "search/SearchCriteria.h"

#include <ctime>

namespace pellidor {

std::int64_t SystemClock()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

SearchCriteria::SearchCriteria(Clock clock)
{
    const auto now = static_cast<std::int32_t>(clock());
    ToDate = now;
    FromDate = now - kDefaultRangeSeconds;
}

} // namespace pellidor
