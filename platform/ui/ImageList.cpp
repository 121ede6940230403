#include "platform/ui/ImageList.h"

namespace platform::ui {

namespace {

// Colour and mask scaled to `size`; the mask stays hard-edged so that no
// half-transparent fringe appears.
IconImage Scaled(const IconImage& icon, int size)
{
    if (icon.colour.width() == size && icon.colour.height() == size)
        return icon;
    const QImage image = icon.ToImage().scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return IconImage::FromImage(image);
}

} // namespace

ImageList::ImageList(int size) : size_(size)
{
}

int ImageList::AddIcon(HICON icon)
{
    if (icon == nullptr)
        return -1;
    return Add(*icon);
}

int ImageList::Add(const IconImage& icon)
{
    if (icon.IsNull())
        return -1;
    images_.push_back(Scaled(icon, size_));
    return Count() - 1;
}

int ImageList::AddMasked(const QImage& strip, QRgb transparent)
{
    if (strip.isNull() || strip.height() < size_ || strip.width() < size_)
        return -1;
    const int first = Count();
    const QImage rgb = strip.convertToFormat(QImage::Format_RGB32);
    const QRgb key = transparent | 0xFF000000u;
    for (int left = 0; left + size_ <= rgb.width(); left += size_) {
        QImage part = rgb.copy(left, 0, size_, size_);
        IconImage icon;
        icon.mask = QImage(size_, size_, QImage::Format_Mono);
        icon.mask.setColor(0, qRgb(0, 0, 0));
        icon.mask.setColor(1, qRgb(255, 255, 255));
        for (int y = 0; y < size_; ++y) {
            for (int x = 0; x < size_; ++x) {
                const bool clear = (part.pixel(x, y) | 0xFF000000u) == key;
                icon.mask.setPixel(x, y, clear ? 1 : 0);
                if (clear)
                    part.setPixel(x, y, qRgb(0, 0, 0));
            }
        }
        icon.colour = part;
        images_.push_back(std::move(icon));
    }
    return first;
}

HICON ImageList::GetIcon(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return CreateIcon(images_[static_cast<std::size_t>(index)]);
}

QImage ImageList::Image(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return images_[static_cast<std::size_t>(index)].ToImage();
}

QPixmap ImageList::Pixmap(int index) const
{
    const QImage image = Image(index);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QIcon ImageList::Icon(int index) const
{
    const QPixmap pixmap = Pixmap(index);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

} // namespace platform::ui
