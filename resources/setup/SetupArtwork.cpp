// Draws Setup's pictures and writes them as PNG files into the folder given
// as the argument: the wizard's tall picture 131 at the left of every page,
// the program's icon 128, the error icon 129 and the restart notice's icon
// 134. The PNGs are kept in the repository beside this program; run it again
// (target setup_artwork) after changing a picture.

#include "resources/ArtworkPainting.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

namespace {

using namespace pellidor::artwork;

const QColor kWood(170, 110, 55);
const QColor kWoodDark(120, 75, 35);

void Owl(QPainter& p, const QRectF& box)
{
    const qreal w = box.width();
    const qreal h = box.height();
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(kOwl);
    QPainterPath body;
    body.moveTo(box.left(), box.top());
    body.lineTo(box.left() + w / 3, box.top() + h / 5);
    body.lineTo(box.left() + 2 * w / 3, box.top() + h / 5);
    body.lineTo(box.right(), box.top());
    body.cubicTo(box.right() + w / 8, box.top() + h / 2, box.right(), box.bottom(), box.center().x(), box.bottom());
    body.cubicTo(box.left(), box.bottom(), box.left() - w / 8, box.top() + h / 2, box.left(), box.top());
    p.drawPath(body);
    p.setBrush(kOwlLight);
    p.drawEllipse(QRectF(box.left() + w / 8, box.top() + h / 5, 3 * w / 4, h / 2));
    const qreal eye = w / 4;
    for (const qreal x : {box.left() + w / 5, box.right() - w / 5 - eye}) {
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(x, box.top() + h / 4, eye, eye));
        p.setBrush(Qt::black);
        p.drawEllipse(QRectF(x + eye / 3, box.top() + h / 4 + eye / 3, eye / 3, eye / 3));
    }
    p.setBrush(kBeak);
    const qreal mid = box.center().x();
    const qreal beak = box.top() + h / 4 + eye;
    p.drawPolygon(QPolygonF({{mid - w / 14, beak}, {mid + w / 14, beak}, {mid, beak + h / 10}}));
}

void Disc(QPainter& p, const QRectF& box)
{
    QRadialGradient shine(box.center() - QPointF(box.width() / 5, box.height() / 5), box.width() * 0.7);
    shine.setColorAt(0, QColor(250, 250, 255));
    shine.setColorAt(0.5, QColor(200, 215, 240));
    shine.setColorAt(0.8, QColor(230, 200, 240));
    shine.setColorAt(1, QColor(160, 170, 215));
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(shine);
    p.drawEllipse(box);
    const qreal hole = box.width() / 7;
    p.setBrush(QColor(30, 60, 110));
    p.drawEllipse(QRectF(box.center().x() - hole / 2, box.center().y() - hole / 2, hole, hole));
}

// A shelf board at `y` with cases standing on it, their spines in `colours`.
void Shelf(QPainter& p, qreal y, const std::vector<QColor>& colours, int seed)
{
    qreal x = 18;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const qreal width = 10 + ((seed + static_cast<int>(i) * 7) % 4) * 2;
        const qreal height = 46 + ((seed + static_cast<int>(i) * 5) % 3) * 6;
        p.setPen(QPen(kOutline, 1));
        p.setBrush(colours[i]);
        p.drawRect(QRectF(x, y - height, width, height));
        p.setPen(QPen(colours[i].lighter(160), 1.5));
        p.drawLine(QPointF(x + 3, y - height + 6), QPointF(x + 3, y - 6));
        x += width + 1;
    }
    p.setPen(QPen(kWoodDark, 1));
    p.setBrush(kWood);
    p.drawRect(QRectF(8, y, 148, 8));
}

// The tall picture at the left of every page, drawn twice the size it is
// shown at on a common screen, so it stays sharp when the dialog grows.
QImage SidePicture()
{
    QImage image(164, 280, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0, QColor(20, 50, 110));
    sky.setColorAt(1, QColor(70, 140, 200));
    p.fillRect(image.rect(), sky);
    // A few stars: the owl keeps watch over the shelf at night.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 220));
    for (const QPointF star : {QPointF(20, 18), QPointF(132, 30), QPointF(98, 12), QPointF(54, 40), QPointF(146, 70)})
        p.drawEllipse(star, 1.6, 1.6);
    Disc(p, QRectF(70, 42, 76, 76));
    Owl(p, QRectF(26, 62, 48, 58));
    p.setPen(QPen(kWoodDark, 2));
    p.drawLine(QPointF(24, 121), QPointF(90, 121)); // the branch the owl sits on
    Shelf(p, 196,
        {QColor(200, 60, 50), QColor(60, 120, 190), QColor(230, 180, 40), QColor(70, 150, 80), QColor(140, 80, 160),
            QColor(220, 110, 40), QColor(50, 160, 170), QColor(180, 50, 90), QColor(90, 90, 160), QColor(200, 200, 70)},
        1);
    Shelf(p, 262,
        {QColor(60, 120, 190), QColor(200, 60, 50), QColor(70, 150, 80), QColor(220, 110, 40), QColor(90, 90, 160),
            QColor(230, 180, 40), QColor(140, 80, 160), QColor(50, 160, 170), QColor(180, 50, 90),
            QColor(200, 200, 70)},
        2);
    return image;
}

// The program's icon: a disc going into a box, for "put on the machine".
void ProgramIcon(QPainter& p)
{
    Disc(p, QRectF(7, 1, 18, 18));
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(190, 140, 80));
    p.drawRect(QRectF(3, 15, 26, 15));
    p.setBrush(QColor(140, 95, 45));
    p.drawPolygon(QPolygonF({{3, 15}, {0, 10}, {9, 12}, {9, 15}}));
    p.drawPolygon(QPolygonF({{29, 15}, {32, 10}, {23, 12}, {23, 15}}));
    p.setPen(QPen(QColor(0, 130, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 19), QPointF(16, 27));
    p.drawLine(QPointF(12, 23), QPointF(16, 27));
    p.drawLine(QPointF(20, 23), QPointF(16, 27));
}

// The error pages' icon: a white cross on a red disc.
void ErrorIcon(QPainter& p)
{
    QRadialGradient fill(QPointF(12, 10), 18);
    fill.setColorAt(0, QColor(250, 90, 80));
    fill.setColorAt(1, QColor(190, 20, 20));
    p.setPen(QPen(QColor(120, 0, 0), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(kPaper, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}

// The restart notice's icon: a turning arrow on an amber disc.
void RestartIcon(QPainter& p)
{
    QRadialGradient fill(QPointF(12, 10), 18);
    fill.setColorAt(0, QColor(255, 220, 120));
    fill.setColorAt(1, QColor(220, 150, 20));
    p.setPen(QPen(QColor(140, 90, 0), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(kOutline, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 9, 14, 14), 60 * 16, 300 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawPolygon(QPolygonF({{17, 5}, {24, 9}, {17, 13}}));
}

} // namespace

int main(int argc, char** argv)
{
    DrawWithoutDisplay();
    QGuiApplication app(argc, argv);
    const std::optional<QDir> folder = OutputFolder(argc, argv);
    if (!folder)
        return 2;
    const QDir& dir = *folder;
    bool ok = Save(SidePicture(), dir, "131.png");
    ok = Save(Icon(32, ProgramIcon), dir, "128.png") && ok;
    ok = Save(Icon(48, ProgramIcon), dir, "128-48.png") && ok;
    ok = Save(Icon(32, ErrorIcon), dir, "129.png") && ok;
    ok = Save(Icon(32, RestartIcon), dir, "134.png") && ok;
    return ok ? 0 : 1;
}
