#pragma once
// Dialog units: the window system's measure for dialog layouts, a quarter of
// the dialog font's average character width across and an eighth of its
// character height down, so a layout grows with the font.
//
// Dialog templates (.ui files) give every geometry in dialog units;
// MapDialogGeometry turns a dialog built from one into pixels.

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace platform::ui {

struct DialogBaseUnits {
    int x = 0; // average character width in pixels
    int y = 0; // character height in pixels
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// x = du × base x / 4, y = du × base y / 8, rounded to the nearest pixel.
QRect MapDialogRect(const QFont& font, const QRect& dialogUnits);
QSize MapDialogSize(const QFont& font, const QSize& dialogUnits);

// Converts the size of `dialog` and the geometry of every widget laid out
// in it (those built from its template) from dialog units to pixels, with
// the dialog's font. Call once, right after the template was set up. The
// dialog gets that size as its fixed size, as a template dialog has.
void MapDialogGeometry(QWidget* dialog);

} // namespace platform::ui
