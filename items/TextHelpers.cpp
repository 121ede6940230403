#include "items/TextHelpers.h"

#include "catalog/CatRecord.h"
#include "module/Resources.h"

#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <limits>

namespace pellidor {

std::string FormatGroupedNumber(std::int64_t value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
    std::string text = buffer;
    // Only the digits are grouped: a sign never gets a separator behind it.
    const std::size_t digitsStart = value < 0 ? 1 : 0;
    for (std::size_t k = 3; k < text.size() - digitsStart; k += 4)
        text.insert(text.size() - k, 1, '.');
    return text;
}

std::string FormatByteSize(std::int64_t bytes)
{
    // Rounded up; a count so large that adding 1023 would overflow is
    // divided first instead.
    const std::int64_t kilobytes = bytes > std::numeric_limits<std::int64_t>::max() - 1023
        ? bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0)
        : (bytes + 1023) / 1024;
    char buffer[40];
    if (kilobytes <= 1024) {
        std::snprintf(buffer, sizeof buffer, "%" PRId64 " KB", kilobytes);
    } else {
        const std::int64_t megabytes = kilobytes / 1024;
        if (megabytes <= 1024)
            std::snprintf(buffer, sizeof buffer, "%" PRId64 " MB", megabytes);
        else
            std::snprintf(buffer, sizeof buffer, "%" PRId64 " GB", megabytes / 1024);
    }
    return buffer;
}

std::string FormatKilobytes(std::uint32_t bytes)
{
    const std::int64_t kilobytes = (static_cast<std::int64_t>(bytes) + 1023) / 1024;
    return FormatGroupedNumber(kilobytes) + " KB";
}

std::string FormatDateText(std::int32_t time, UINT formatString)
{
    // The catalog's times come from a system whose clock starts in 1970;
    // earlier values, -1 above all, mean "not recorded".
    if (time < 0)
        return {};
    std::string format = LoadString(formatString);
    if (format.empty())
        format = formatString == kDateFormatString ? "%d.%m.%y" : "%d.%m.%y %H:%M";
    const std::time_t seconds = time;
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return {};
    char buffer[128];
    const std::size_t length = std::strftime(buffer, sizeof buffer, format.c_str(), &local);
    return std::string(buffer, length);
}

std::string AttributeLetters(DWORD attributes)
{
    std::string letters;
    if ((attributes & kAttrReadOnly) != 0)
        letters += 'R';
    if ((attributes & kAttrHidden) != 0)
        letters += 'H';
    if ((attributes & kAttrSystem) != 0)
        letters += 'S';
    if ((attributes & kAttrArchive) != 0)
        letters += 'A';
    return letters;
}

std::string SortKey32(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08" PRIX32, value);
    return buffer;
}

std::string SortKey64(std::uint64_t value)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%016" PRIX64, value);
    return buffer;
}

std::string TrimRight(std::string text)
{
    const auto end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

} // namespace pellidor
