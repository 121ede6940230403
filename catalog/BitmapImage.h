#pragma once
// Icon images as the catalog stores them: complete bitmap file images (a
// 14-byte file header, a 40-byte information header, the palette and the
// pixel rows, bottom-up, each row padded to 4 bytes). Colour images are
// written with 4 bits per pixel and the fixed 16-colour palette, masks with
// 1 bit per pixel and the palette black, white.

#include "platform/com/Types.h"

#include <QImage>

#include <cstddef>
#include <vector>

namespace pellidor {

// The fixed palette, as red, green, blue.
extern const QRgb kCatalogPalette[16];

// The colour image: each pixel mapped to the nearest palette colour.
std::vector<BYTE> EncodeColourImage(const QImage& image);
// The mask image: 1 where the mask pixel is light (transparent).
std::vector<BYTE> EncodeMaskImage(const QImage& mask);

// An uncompressed 1-, 4-, 8-, 24- or 32-bit bitmap file image, checked
// against `size` before any pixel is read; a null image for anything else.
// Width and height are limited to kMaxIconSide, so a damaged record cannot
// ask for a large allocation.
QImage DecodeBitmapImage(const BYTE* data, std::size_t size);
// A decoded 1-bit image as a window-system mask (Format_Mono, 1 = transparent).
QImage ToMask(const QImage& decoded);

constexpr int kMaxIconSide = 256;

} // namespace pellidor
