#include "platform/com/Guid.h"

#include <cstdio>
#include <cstring>

bool operator==(const GUID& a, const GUID& b)
{
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3
        && std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace platform::com {

std::string FormatGuid(const GUID& g)
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
        static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
        g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

namespace {

// Reads `digits` hexadecimal digits at `pos`; false on anything else.
bool ReadHex(std::string_view text, std::size_t pos, std::size_t digits, std::uint64_t& out)
{
    out = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int v = HexDigitValue(text[pos + i]);
        if (v < 0)
            return false;
        out = (out << 4) | static_cast<unsigned>(v);
    }
    return true;
}

} // namespace

std::optional<GUID> ParseGuid(std::string_view text)
{
    if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' || text[14] != '-'
        || text[19] != '-' || text[24] != '-')
        return std::nullopt;
    GUID g;
    std::uint64_t v = 0;
    if (!ReadHex(text, 1, 8, v))
        return std::nullopt;
    g.Data1 = static_cast<DWORD>(v);
    if (!ReadHex(text, 10, 4, v))
        return std::nullopt;
    g.Data2 = static_cast<WORD>(v);
    if (!ReadHex(text, 15, 4, v))
        return std::nullopt;
    g.Data3 = static_cast<WORD>(v);
    static constexpr std::size_t kBytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, kBytePos[i], 2, v))
            return std::nullopt;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    return g;
}

std::array<BYTE, 16> GuidBytes(const GUID& g)
{
    std::array<BYTE, 16> b{};
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<BYTE>(g.Data1 >> (8 * i));
    b[4] = static_cast<BYTE>(g.Data2);
    b[5] = static_cast<BYTE>(g.Data2 >> 8);
    b[6] = static_cast<BYTE>(g.Data3);
    b[7] = static_cast<BYTE>(g.Data3 >> 8);
    std::memcpy(b.data() + 8, g.Data4, 8);
    return b;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace platform::com
