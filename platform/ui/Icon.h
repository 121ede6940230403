#pragma once
// An icon as the window system keeps one: a colour bitmap and a monochrome
// mask of the same size (mask bit set = transparent, the AND mask). An HICON
// handed out is owned by the receiver, who destroys it with DestroyIcon.

#include "platform/com/Types.h"

#include <QImage>

#include <memory>

namespace platform::ui {

struct IconImage {
    QImage colour; // RGB32, the colours where the mask is clear
    QImage mask; // Format_Mono: 1 where the icon is transparent

    // From an image with alpha: pixels of alpha below 128 are transparent.
    static IconImage FromImage(const QImage& image);
    // From stored colour and mask bitmaps; null when they do not fit together.
    static std::unique_ptr<IconImage> FromBitmaps(const QImage& colour, const QImage& mask);
    // Colour and mask combined into an image with alpha.
    QImage ToImage() const;
    bool IsNull() const { return colour.isNull(); }
};

HICON CreateIcon(const IconImage& image);
void DestroyIcon(HICON icon);

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconPtr = std::unique_ptr<IconImage, IconDeleter>;

} // namespace platform::ui
