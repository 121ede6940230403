#pragma once
// The texts every list, page and export shows for numbers, sizes, dates and
// attributes, and the sort keys that order them as texts.

#include "platform/com/Types.h"

#include <cstdint>
#include <string>

namespace pellidor {

// String resources of the date texts.
constexpr UINT kDateTimeFormatString = 2008; // "%d.%m.%y %H:%M"
constexpr UINT kDateFormatString = 2025; // "%d.%m.%y"

// Decimal with "." between groups of three digits: 1234567 → "1.234.567".
std::string FormatGroupedNumber(std::int64_t value);
// Kilobytes rounded up while at most 1024 of them, then whole megabytes
// (rounded down) while at most 1024, then whole gigabytes: 1048576 → "1024
// KB", 1048577 → "1 MB". Signed: a negative count stays in KB (-1 → "0 KB").
std::string FormatByteSize(std::int64_t bytes);
// A file's size column: kilobytes rounded up and grouped, "1.024 KB".
std::string FormatKilobytes(std::uint32_t bytes);
// The local time of `time` (seconds since 1970 UTC) in the strftime form of
// string `formatString`; empty for a time that names no date (negative,
// which includes the "not recorded" -1).
std::string FormatDateText(std::int32_t time, UINT formatString = kDateTimeFormatString);
// "R", "H", "S", "A" for read-only, hidden, system and archive, in that order.
std::string AttributeLetters(DWORD attributes);
// Upper-case hexadecimal of fixed width, so that text order is number order.
std::string SortKey32(std::uint32_t value);
std::string SortKey64(std::uint64_t value);
// `text` without its trailing spaces.
std::string TrimRight(std::string text);

} // namespace pellidor
