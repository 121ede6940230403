#include "platform/ui/ImageList.h"

#include <gtest/gtest.h>

using platform::ui::IconImage;
using platform::ui::IconPtr;
using platform::ui::ImageList;

namespace {

constexpr QRgb kMagenta = qRgb(255, 0, 255);

// A strip of `count` images of `size`: image i is filled with grey level
// 40·(i+1), its top-left pixel magenta.
QImage Strip(int size, int count)
{
    QImage strip(size * count, size, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        const int grey = 40 * (i + 1);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                strip.setPixel(i * size + x, y, qRgb(grey, grey, grey));
        strip.setPixel(i * size, 0, kMagenta);
    }
    return strip;
}

TEST(ImageList, MaskedStripBecomesOneImagePerWidthWithTheKeyColourClear)
{
    ImageList list(16);
    EXPECT_EQ(list.AddMasked(Strip(16, 3), kMagenta), 0);
    ASSERT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const QImage image = list.Image(i);
        EXPECT_EQ(image.size(), QSize(16, 16));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << i;
        EXPECT_EQ(image.pixel(5, 5), qRgb(40 * (i + 1), 40 * (i + 1), 40 * (i + 1))) << i;
    }
    // Appending goes on after what is there; a partial image is dropped.
    EXPECT_EQ(list.AddMasked(Strip(16, 1).copy(0, 0, 20, 16), kMagenta), 3);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.AddMasked(QImage(8, 8, QImage::Format_RGB32), kMagenta), -1);
    EXPECT_EQ(list.AddMasked(QImage(), kMagenta), -1);
    EXPECT_EQ(list.Count(), 4);
}

TEST(ImageList, IconsAreScaledToTheListAndHandedOutAsCopies)
{
    ImageList list(32);
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(qRgb(10, 200, 30));
    picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
    const IconPtr icon(platform::ui::CreateIcon(IconImage::FromImage(picture)));
    EXPECT_EQ(list.AddIcon(icon.get()), 0);
    EXPECT_EQ(list.AddIcon(nullptr), -1);
    EXPECT_EQ(list.Add(IconImage()), -1);
    ASSERT_EQ(list.Count(), 1);

    const IconPtr copy(list.GetIcon(0));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->colour.size(), QSize(32, 32));
    EXPECT_EQ(copy->ToImage().pixel(16, 16), qRgb(10, 200, 30));
    EXPECT_EQ(qAlpha(copy->ToImage().pixel(0, 0)), 0);
    copy->colour.fill(Qt::black);
    EXPECT_EQ(list.Image(0).pixel(16, 16), qRgb(10, 200, 30));

    EXPECT_EQ(list.GetIcon(1), nullptr);
    EXPECT_EQ(list.GetIcon(-1), nullptr);
    EXPECT_TRUE(list.Image(1).isNull());
    EXPECT_TRUE(list.Pixmap(-1).isNull());
    EXPECT_FALSE(list.Icon(0).isNull());
}

} // namespace
