#include "platform/ui/DialogUnits.h"

#include <QFontMetrics>
#include <QWidget>

namespace platform::ui {

namespace {

// The window system's MulDiv: a × b / c rounded half away from zero.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

void MapChildren(QWidget* parent, const QFont& font)
{
    for (QObject* object : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(object);
        // Windows (popups) and the private parts of compound widgets were
        // not laid out by the template.
        if (widget == nullptr || widget->isWindow() || widget->objectName().startsWith(QStringLiteral("qt_")))
            continue;
        widget->setGeometry(MapDialogRect(font, widget->geometry()));
        MapChildren(widget, font);
    }
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    // The average width over the 52 Latin letters, rounded, as the window
    // system measures a dialog font.
    const QFontMetrics metrics(font);
    const int letters
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const QFont& font, const QRect& dialogUnits)
{
    const DialogBaseUnits base = BaseUnitsOf(font);
    return {MulDiv(dialogUnits.x(), base.x, 4), MulDiv(dialogUnits.y(), base.y, 8),
        MulDiv(dialogUnits.width(), base.x, 4), MulDiv(dialogUnits.height(), base.y, 8)};
}

QSize MapDialogSize(const QFont& font, const QSize& dialogUnits)
{
    return MapDialogRect(font, QRect(QPoint(0, 0), dialogUnits)).size();
}

void MapDialogGeometry(QWidget* dialog)
{
    if (dialog == nullptr)
        return;
    const QFont font = dialog->font();
    MapChildren(dialog, font);
    dialog->setFixedSize(MapDialogSize(font, dialog->size()));
}

} // namespace platform::ui
