#include "catalog/BitmapImage.h"

#include <cstring>

namespace pellidor {

const QRgb kCatalogPalette[16] = {
    qRgb(0, 0, 0),
    qRgb(0, 0, 128),
    qRgb(0, 128, 0),
    qRgb(0, 128, 128),
    qRgb(128, 0, 0),
    qRgb(128, 0, 128),
    qRgb(128, 128, 0),
    qRgb(128, 128, 128),
    qRgb(192, 192, 192),
    qRgb(0, 0, 255),
    qRgb(0, 255, 0),
    qRgb(0, 255, 255),
    qRgb(255, 0, 0),
    qRgb(255, 0, 255),
    qRgb(255, 255, 0),
    qRgb(255, 255, 255),
};

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kHeadersBytes = kFileHeaderBytes + kInfoHeaderBytes;

std::size_t RowBytes(int bits, int width)
{
    return ((static_cast<std::size_t>(bits) * static_cast<std::size_t>(width) + 31) / 32) * 4;
}

void PutWord(std::vector<BYTE>& out, std::size_t at, WORD value)
{
    out[at] = static_cast<BYTE>(value & 0xFF);
    out[at + 1] = static_cast<BYTE>(value >> 8);
}

void PutDword(std::vector<BYTE>& out, std::size_t at, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<BYTE>((value >> (8 * i)) & 0xFF);
}

DWORD GetDword(const BYTE* at)
{
    return static_cast<DWORD>(at[0]) | (static_cast<DWORD>(at[1]) << 8) | (static_cast<DWORD>(at[2]) << 16)
        | (static_cast<DWORD>(at[3]) << 24);
}

WORD GetWord(const BYTE* at)
{
    return static_cast<WORD>(at[0] | (at[1] << 8));
}

// Headers and palette of a bottom-up image with `bits` per pixel; the pixel
// bytes follow, zeroed.
std::vector<BYTE> Frame(int width, int height, int bits, const QRgb* palette, int colours)
{
    const std::size_t paletteBytes = static_cast<std::size_t>(colours) * 4;
    const std::size_t pixelBytes = RowBytes(bits, width) * static_cast<std::size_t>(height);
    const std::size_t total = kHeadersBytes + paletteBytes + pixelBytes;
    std::vector<BYTE> out(total, 0);
    PutWord(out, 0, 0x4D42); // "BM"
    PutDword(out, 2, static_cast<DWORD>(total));
    PutDword(out, 10, static_cast<DWORD>(kHeadersBytes + paletteBytes));
    PutDword(out, 14, kInfoHeaderBytes);
    PutDword(out, 18, static_cast<DWORD>(width));
    PutDword(out, 22, static_cast<DWORD>(height));
    PutWord(out, 26, 1);
    PutWord(out, 28, static_cast<WORD>(bits));
    PutDword(out, 34, static_cast<DWORD>(pixelBytes));
    PutDword(out, 46, static_cast<DWORD>(colours));
    for (int i = 0; i < colours; ++i) {
        const std::size_t at = kHeadersBytes + static_cast<std::size_t>(i) * 4;
        out[at] = static_cast<BYTE>(qBlue(palette[i]));
        out[at + 1] = static_cast<BYTE>(qGreen(palette[i]));
        out[at + 2] = static_cast<BYTE>(qRed(palette[i]));
    }
    return out;
}

int NearestPaletteIndex(QRgb colour)
{
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < 16; ++i) {
        const int dr = qRed(colour) - qRed(kCatalogPalette[i]);
        const int dg = qGreen(colour) - qGreen(kCatalogPalette[i]);
        const int db = qBlue(colour) - qBlue(kCatalogPalette[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

struct BitmapInfo {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    std::size_t pixelsAt = 0;
    std::size_t paletteAt = 0;
    int colours = 0;
};

bool ReadInfo(const BYTE* data, std::size_t size, BitmapInfo& info)
{
    if (data == nullptr || size < kHeadersBytes || GetWord(data) != 0x4D42 || GetDword(data + 14) != kInfoHeaderBytes)
        return false;
    const auto width = static_cast<std::int32_t>(GetDword(data + 18));
    const auto height = static_cast<std::int32_t>(GetDword(data + 22));
    info.bits = GetWord(data + 28);
    if (width <= 0 || width > kMaxIconSide || height == 0 || height < -kMaxIconSide || height > kMaxIconSide)
        return false;
    if (GetWord(data + 26) != 1 || GetDword(data + 30) != 0)
        return false;
    if (info.bits != 1 && info.bits != 4 && info.bits != 8 && info.bits != 24 && info.bits != 32)
        return false;
    info.width = width;
    info.height = height < 0 ? -height : height;
    info.topDown = height < 0;
    const DWORD used = GetDword(data + 46);
    const int maxColours = info.bits <= 8 ? (1 << info.bits) : 0;
    info.colours = info.bits <= 8
        ? (used == 0 || used > static_cast<DWORD>(maxColours) ? maxColours : static_cast<int>(used))
        : 0;
    info.paletteAt = kHeadersBytes;
    info.pixelsAt = GetDword(data + 10);
    const std::size_t paletteEnd = info.paletteAt + static_cast<std::size_t>(info.colours) * 4;
    const std::size_t pixelBytes = RowBytes(info.bits, info.width) * static_cast<std::size_t>(info.height);
    return info.pixelsAt >= paletteEnd && info.pixelsAt <= size && size - info.pixelsAt >= pixelBytes;
}

QRgb PaletteColour(const BYTE* data, const BitmapInfo& info, unsigned index)
{
    if (index >= static_cast<unsigned>(info.colours))
        return qRgb(0, 0, 0);
    const BYTE* entry = data + info.paletteAt + static_cast<std::size_t>(index) * 4;
    return qRgb(entry[2], entry[1], entry[0]);
}

QRgb PixelAt(const BYTE* row, const BYTE* data, const BitmapInfo& info, int x)
{
    switch (info.bits) {
    case 1:
        return PaletteColour(data, info, (row[x / 8] >> (7 - x % 8)) & 1u);
    case 4:
        return PaletteColour(data, info, (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2]) & 0x0Fu);
    case 8:
        return PaletteColour(data, info, row[x]);
    case 24:
        return qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    default:
        return qRgb(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
    }
}

} // namespace

std::vector<BYTE> EncodeColourImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    std::vector<BYTE> out = Frame(width, height, 4, kCatalogPalette, 16);
    const std::size_t pixelsAt = kHeadersBytes + 16 * 4;
    const std::size_t rowBytes = RowBytes(4, width);
    for (int y = 0; y < height; ++y) {
        BYTE* row = out.data() + pixelsAt + rowBytes * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const int index = NearestPaletteIndex(rgb.pixel(x, y));
            row[x / 2] |= static_cast<BYTE>(x % 2 == 0 ? index << 4 : index);
        }
    }
    return out;
}

std::vector<BYTE> EncodeMaskImage(const QImage& mask)
{
    if (mask.isNull())
        return {};
    static const QRgb kBlackWhite[2] = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const int width = mask.width();
    const int height = mask.height();
    std::vector<BYTE> out = Frame(width, height, 1, kBlackWhite, 2);
    const std::size_t pixelsAt = kHeadersBytes + 2 * 4;
    const std::size_t rowBytes = RowBytes(1, width);
    for (int y = 0; y < height; ++y) {
        BYTE* row = out.data() + pixelsAt + rowBytes * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            if (qGray(mask.pixel(x, y)) > 127)
                row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    return out;
}

QImage DecodeBitmapImage(const BYTE* data, std::size_t size)
{
    BitmapInfo info;
    if (!ReadInfo(data, size, info))
        return {};
    QImage image(info.width, info.height, QImage::Format_RGB32);
    const std::size_t rowBytes = RowBytes(info.bits, info.width);
    for (int y = 0; y < info.height; ++y) {
        const int stored = info.topDown ? y : info.height - 1 - y;
        const BYTE* row = data + info.pixelsAt + rowBytes * static_cast<std::size_t>(stored);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < info.width; ++x)
            line[x] = PixelAt(row, data, info, x);
    }
    return image;
}

QImage ToMask(const QImage& decoded)
{
    if (decoded.isNull())
        return {};
    QImage mask(decoded.size(), QImage::Format_Mono);
    mask.setColorCount(2);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    for (int y = 0; y < decoded.height(); ++y) {
        for (int x = 0; x < decoded.width(); ++x)
            mask.setPixel(x, y, qGray(decoded.pixel(x, y)) > 127 ? 1 : 0);
    }
    return mask;
}

} // namespace pellidor
