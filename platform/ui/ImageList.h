#pragma once
// Image lists: a numbered row of same-sized images with masks, the pictures
// that list controls, combo boxes and dialogs draw items with. Images are kept
// as QImage, so a list may live (and die) outside a running application.

#include "platform/com/Types.h"
#include "platform/ui/Icon.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRgb>

#include <vector>

namespace platform::ui {

class ImageList {
public:
    // Square images of `size` pixels (16 small, 32 large).
    explicit ImageList(int size);

    int ImageSize() const { return size_; }
    int Count() const { return static_cast<int>(images_.size()); }

    // Appends one icon, scaled to the list's size when it differs; the index
    // of the new image, or -1 for a null icon. The icon stays the caller's.
    int AddIcon(HICON icon);
    int Add(const IconImage& icon);
    // Appends every image of a strip of images of the list's size laid side
    // by side; pixels of `transparent` become the mask. The index of the
    // first new image, or -1 when the strip holds no whole image.
    int AddMasked(const QImage& strip, QRgb transparent);

    // A new icon, owned by the caller; null for an index out of range.
    HICON GetIcon(int index) const;
    // The image with its mask as alpha; null out of range.
    QImage Image(int index) const;
    QPixmap Pixmap(int index) const;
    QIcon Icon(int index) const;

private:
    int size_;
    std::vector<IconImage> images_;
};

} // namespace platform::ui
