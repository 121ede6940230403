// Icon images in the stored bitmap form: the fixed palette, the row layout,
// and decoding that checks sizes before it reads.

#include "catalog/BitmapImage.h"

#include <gtest/gtest.h>

namespace pellidor {
namespace {

TEST(BitmapImageTest, ColourImageKeepsPaletteColoursAndMapsOthersToTheNearest)
{
    QImage image(5, 3, QImage::Format_RGB32); // odd width: a half-filled byte and row padding
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            image.setPixel(x, y, kCatalogPalette[(x + 5 * y) % 16]);
    }
    image.setPixel(4, 2, qRgb(250, 10, 5));
    const std::vector<BYTE> stored = EncodeColourImage(image);
    ASSERT_EQ(stored.size(), 54u + 64u + 4u * 3u);
    const QImage back = DecodeBitmapImage(stored.data(), stored.size());
    ASSERT_EQ(back.size(), image.size());
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const QRgb expected = (x == 4 && y == 2) ? qRgb(255, 0, 0) : kCatalogPalette[(x + 5 * y) % 16];
            EXPECT_EQ(back.pixel(x, y) & 0xFFFFFF, expected & 0xFFFFFF) << x << "," << y;
        }
    }
    // Bottom-up: the first stored row is the image's last, pixel 0 in the high nibble.
    EXPECT_EQ(stored[54 + 64] >> 4, 10 % 16);
}

TEST(BitmapImageTest, MaskRoundTripsItsTransparentPixels)
{
    QImage mask(33, 2, QImage::Format_RGB32); // 33 bits: a row of 8 bytes after padding
    mask.fill(qRgb(0, 0, 0));
    mask.setPixel(0, 0, qRgb(255, 255, 255));
    mask.setPixel(32, 1, qRgb(255, 255, 255));
    const std::vector<BYTE> stored = EncodeMaskImage(mask);
    ASSERT_EQ(stored.size(), 54u + 8u + 8u * 2u);
    const QImage back = ToMask(DecodeBitmapImage(stored.data(), stored.size()));
    ASSERT_EQ(back.size(), mask.size());
    EXPECT_EQ(back.pixelIndex(0, 0), 1);
    EXPECT_EQ(back.pixelIndex(32, 1), 1);
    EXPECT_EQ(back.pixelIndex(1, 0), 0);
    EXPECT_EQ(back.pixelIndex(32, 0), 0);
}

TEST(BitmapImageTest, DecodingRefusesWhatDoesNotAddUp)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::vector<BYTE> valid = EncodeColourImage(image);
    ASSERT_FALSE(DecodeBitmapImage(valid.data(), valid.size()).isNull());
    EXPECT_TRUE(DecodeBitmapImage(nullptr, 0).isNull());
    EXPECT_TRUE(DecodeBitmapImage(valid.data(), 53).isNull());
    EXPECT_TRUE(DecodeBitmapImage(valid.data(), valid.size() - 1).isNull()) << "last pixel row cut";
    auto broken = [&valid](std::size_t at, BYTE value) {
        std::vector<BYTE> bytes = valid;
        bytes[at] = value;
        return DecodeBitmapImage(bytes.data(), bytes.size()).isNull();
    };
    EXPECT_TRUE(broken(0, 'X')) << "not BM";
    EXPECT_TRUE(broken(14, 12)) << "an older information header";
    EXPECT_TRUE(broken(28, 5)) << "5 bits per pixel";
    EXPECT_TRUE(broken(26, 2)) << "two planes";
    EXPECT_TRUE(broken(19, 0x10)) << "4100 pixels wide";
    EXPECT_TRUE(broken(10, 20)) << "pixels inside the headers";
}

} // namespace
} // namespace pellidor
