#include "platform/ui/Icon.h"

namespace platform::ui {

IconImage IconImage::FromImage(const QImage& image)
{
    IconImage icon;
    if (image.isNull())
        return icon;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    icon.colour = QImage(argb.size(), QImage::Format_RGB32);
    icon.mask = QImage(argb.size(), QImage::Format_Mono);
    icon.mask.setColor(0, qRgb(0, 0, 0));
    icon.mask.setColor(1, qRgb(255, 255, 255));
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            const bool transparent = qAlpha(pixel) < 128;
            icon.colour.setPixel(x, y, transparent ? qRgb(0, 0, 0) : (pixel | 0xFF000000u));
            icon.mask.setPixel(x, y, transparent ? 1 : 0);
        }
    }
    return icon;
}

std::unique_ptr<IconImage> IconImage::FromBitmaps(const QImage& colour, const QImage& mask)
{
    if (colour.isNull() || mask.isNull() || colour.size() != mask.size())
        return nullptr;
    auto icon = std::make_unique<IconImage>();
    icon->colour = colour.convertToFormat(QImage::Format_RGB32);
    icon->mask = mask.convertToFormat(QImage::Format_Mono);
    return icon;
}

QImage IconImage::ToImage() const
{
    if (colour.isNull())
        return {};
    QImage out(colour.size(), QImage::Format_ARGB32);
    const bool hasMask = mask.size() == colour.size();
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x) {
            const bool transparent = hasMask && qGray(mask.pixel(x, y)) > 127;
            out.setPixel(x, y, transparent ? qRgba(0, 0, 0, 0) : (colour.pixel(x, y) | 0xFF000000u));
        }
    }
    return out;
}

HICON CreateIcon(const IconImage& image)
{
    if (image.IsNull())
        return nullptr;
    return new IconImage(image);
}

void DestroyIcon(HICON icon)
{
    delete icon;
}

} // namespace platform::ui
