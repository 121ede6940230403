#pragma once
// GUID in its standard 16-byte layout, with the "{…}" text form.

#include "platform/com/Types.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

struct GUID {
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    BYTE Data4[8] = {};

    friend bool operator==(const GUID& a, const GUID& b);
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

namespace platform::com {

// The value of one hexadecimal digit, either case; -1 for any other character.
int HexDigitValue(char c);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
std::string FormatGuid(const GUID& guid);
// Accepts the braced form, letter case ignored; nothing for anything else.
std::optional<GUID> ParseGuid(std::string_view text);
// The 16 bytes as stored: Data1..Data3 little-endian, Data4 as is.
std::array<BYTE, 16> GuidBytes(const GUID& guid);

} // namespace platform::com

// A compile-time GUID from its parts, for interface and class identifiers.
constexpr GUID MakeGuid(DWORD d1, WORD d2, WORD d3, BYTE a, BYTE b, BYTE c, BYTE d, BYTE e, BYTE f, BYTE g, BYTE h)
{
    return GUID{d1, d2, d3, {a, b, c, d, e, f, g, h}};
}
