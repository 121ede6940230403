#include "pages/PathLine.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

namespace pellidor {

CPathLine::CPathLine(QWidget* parent) : QWidget(parent)
{
    // The whole line is painted every time.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPathLine::ShowPath(const std::string& path)
{
    path_ = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    update();
}

QString CPathLine::DisplayedText() const
{
    // elidedText takes no mnemonics: an "&" in a name stays an "&".
    return fontMetrics().elidedText(path_, Qt::ElideMiddle, width());
}

void CPathLine::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::ButtonText));
    // No Qt::TextShowMnemonic: "&" is drawn, never turned into an underline.
    painter.drawText(rect(), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, DisplayedText());
}

} // namespace pellidor
