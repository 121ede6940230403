#include "platform/ui/DialogUnits.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPushButton>
#include <QWidget>

#include <cmath>

namespace {

TEST(DialogUnits, BaseUnitsScaleQuartersAcrossAndEighthsDown)
{
    QFont font;
    font.setPixelSize(13);
    const platform::ui::DialogBaseUnits base = platform::ui::BaseUnitsOf(font);
    const QFontMetrics metrics(font);
    ASSERT_GT(base.x, 0);
    EXPECT_EQ(base.y, metrics.height());
    // The average letter width, rounded to the nearest pixel.
    const double average
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    EXPECT_LE(std::abs(base.x - average), 0.5 + 1e-9);

    const QRect mapped = platform::ui::MapDialogRect(font, {8, 16, 40, 4});
    EXPECT_EQ(mapped, QRect(2 * base.x, 2 * base.y, 10 * base.x, base.y / 2 + (base.y % 2 != 0 ? 1 : 0)));
    // A bigger font makes a bigger dialog.
    QFont bigger = font;
    bigger.setPixelSize(26);
    EXPECT_GT(
        platform::ui::MapDialogSize(bigger, {100, 100}).width(), platform::ui::MapDialogSize(font, {100, 100}).width());
}

TEST(DialogUnits, TemplateGeometryIsMappedOnceForTheDialogAndItsChildren)
{
    QWidget dialog;
    dialog.resize(200, 100);
    auto* frame = new QWidget(&dialog);
    frame->setGeometry(8, 8, 100, 40);
    auto* button = new QPushButton(frame);
    button->setGeometry(4, 8, 50, 14);

    platform::ui::MapDialogGeometry(&dialog);
    const QFont font = dialog.font();
    EXPECT_EQ(dialog.size(), platform::ui::MapDialogSize(font, {200, 100}));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(frame->geometry(), platform::ui::MapDialogRect(font, {8, 8, 100, 40}));
    // Nested widgets keep their place relative to their parent.
    EXPECT_EQ(button->geometry(), platform::ui::MapDialogRect(font, {4, 8, 50, 14}));
}

} // namespace
