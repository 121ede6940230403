// Draws the program's pictures and writes them as PNG files (and the reading
// animations as animated GIFs, which QMovie plays) into the folder given as
// the argument. The PNGs are kept in the repository beside this
// program; run it again (target pellidor_artwork) after changing a picture.
//
// The two image-list strips are drawn without antialiasing in a small
// palette on magenta, the colour the lists treat as transparent, so no pink
// fringe can appear. Everything else is drawn with alpha.

#include "resources/ArtworkPainting.h"
#include <QByteArray>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace pellidor::artwork;

const QColor kMagenta(255, 0, 255);
const QColor kPaperShade(192, 192, 192);
const QColor kFolder(240, 200, 80);
const QColor kFolderDark(200, 150, 40);
const QColor kRed(220, 0, 0);
const QColor kBox(190, 140, 80);
const QColor kBoxDark(140, 95, 45);
const QColor kFloppy(40, 80, 180);
const QColor kMetal(200, 200, 200);
const QColor kDisc(210, 210, 225);

// Pictures are drawn on a grid of their own size; lines are one pixel wide.

QPen Line(const QColor& colour)
{
    QPen pen(colour);
    pen.setWidth(0);
    return pen;
}

void Document(QPainter& p)
{
    p.setPen(Line(kOutline));
    p.setBrush(kPaper);
    const QPolygon sheet({{6, 2}, {20, 2}, {26, 8}, {26, 29}, {6, 29}});
    p.drawPolygon(sheet);
    p.setBrush(kPaperShade);
    p.drawPolygon(QPolygon({{20, 2}, {20, 8}, {26, 8}}));
}

void Folder(QPainter& p)
{
    p.setPen(Line(kOutline));
    p.setBrush(kFolderDark);
    p.drawPolygon(QPolygon({{2, 8}, {4, 5}, {12, 5}, {14, 8}, {29, 8}, {29, 26}, {2, 26}}));
    p.setBrush(kFolder);
    p.drawRect(2, 11, 27, 15);
}

void OwlFace(QPainter& p, const QRect& box)
{
    p.setPen(Line(kOutline));
    p.setBrush(kOwl);
    const int w = box.width();
    const int h = box.height();
    // Ear tufts, head, then the lighter face disc with eyes and beak.
    p.drawPolygon(
        QPolygon({box.topLeft(), {box.left() + w / 3, box.top() + h / 4}, {box.left() + 2 * w / 3, box.top() + h / 4},
            box.topRight(), {box.right(), box.bottom()}, {box.left(), box.bottom()}}));
    p.setBrush(kOwlLight);
    p.drawEllipse(QRect(box.left() + w / 8, box.top() + h / 4, 3 * w / 4, 2 * h / 3));
    p.setBrush(kPaper);
    const int eye = qMax(2, w / 4);
    p.drawEllipse(QRect(box.left() + w / 5, box.top() + h / 3, eye, eye));
    p.drawEllipse(QRect(box.right() - w / 5 - eye + 1, box.top() + h / 3, eye, eye));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const int pupil = qMax(1, eye / 2);
    p.drawRect(box.left() + w / 5 + eye / 4 + 1, box.top() + h / 3 + eye / 4 + 1, pupil, pupil);
    p.drawRect(box.right() - w / 5 - eye + eye / 4 + 2, box.top() + h / 3 + eye / 4 + 1, pupil, pupil);
    p.setBrush(kBeak);
    const int mid = box.left() + w / 2;
    p.drawPolygon(QPolygon(
        {{mid - 2, box.top() + 2 * h / 3}, {mid + 2, box.top() + 2 * h / 3}, {mid, box.top() + 2 * h / 3 + 3}}));
}

void MascotFolder(QPainter& p)
{
    Folder(p);
    OwlFace(p, QRect(17, 15, 14, 16));
}

void BrokenCatalog(QPainter& p)
{
    p.setPen(Line(kOutline));
    p.setBrush(kPaper);
    // The sheet torn along a zigzag on its right side.
    p.drawPolygon(QPolygon({{4, 2}, {18, 2}, {15, 8}, {20, 13}, {16, 19}, {20, 24}, {17, 29}, {4, 29}}));
    p.setBrush(kPaperShade);
    p.drawPolygon(QPolygon({{21, 4}, {26, 4}, {26, 29}, {20, 29}, {23, 24}, {19, 19}, {23, 13}, {18, 8}}));
    // The red exclamation mark in a circle over the lower corner.
    p.setBrush(kRed);
    p.drawEllipse(QRect(13, 13, 18, 18));
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawRect(20, 16, 4, 8);
    p.drawRect(20, 26, 4, 3);
}

void ShelfRoot(QPainter& p)
{
    Folder(p);
    OwlFace(p, QRect(8, 10, 16, 18));
}

void MediaBox(QPainter& p)
{
    p.setPen(Line(kOutline));
    // Back wall and the open flaps.
    p.setBrush(kBoxDark);
    p.drawPolygon(QPolygon({{3, 12}, {0, 6}, {9, 9}, {9, 14}}));
    p.drawPolygon(QPolygon({{28, 12}, {31, 6}, {22, 9}, {22, 14}}));
    p.drawRect(3, 12, 25, 6);
    // A compact disc and a floppy disk standing in the box.
    p.setBrush(kDisc);
    p.drawEllipse(QRect(5, 2, 16, 16));
    p.setBrush(kMagenta);
    p.drawEllipse(QRect(12, 9, 3, 3));
    p.setBrush(kFloppy);
    p.drawRect(16, 5, 12, 12);
    p.setBrush(kMetal);
    p.drawRect(19, 5, 6, 4);
    // The front wall in front of both.
    p.setBrush(kBox);
    p.drawRect(2, 16, 27, 13);
    p.drawLine(2, 20, 29, 20);
}

// The 16-pixel pictures are drawn on their own grid: halving the 32-pixel
// ones loses the details that make them recognisable.
void Document16(QPainter& p)
{
    p.setPen(Line(kOutline));
    p.setBrush(kPaper);
    p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
    p.setBrush(kPaperShade);
    p.drawPolygon(QPolygon({{10, 1}, {10, 4}, {13, 4}}));
}

void Folder16(QPainter& p)
{
    p.setPen(Line(kOutline));
    p.setBrush(kFolderDark);
    p.drawPolygon(QPolygon({{1, 3}, {2, 2}, {6, 2}, {7, 4}, {14, 4}, {14, 13}, {1, 13}}));
    p.setBrush(kFolder);
    p.drawRect(1, 6, 13, 7);
}

// The mascot's face in 7 × 7 pixels with its top-left corner at (x, y).
void OwlFace16(QPainter& p, int x, int y)
{
    p.setPen(Qt::NoPen);
    p.fillRect(x, y, 7, 7, kOutline);
    p.fillRect(x + 1, y + 1, 5, 5, kOwl);
    p.fillRect(x + 1, y + 3, 5, 3, kOwlLight);
    p.fillRect(x + 1, y + 2, 2, 2, kPaper);
    p.fillRect(x + 4, y + 2, 2, 2, kPaper);
    p.fillRect(x + 2, y + 3, 1, 1, Qt::black);
    p.fillRect(x + 4, y + 3, 1, 1, Qt::black);
    p.fillRect(x + 3, y + 4, 1, 2, kBeak);
    p.fillRect(x, y - 1, 1, 1, kOutline); // ear tufts
    p.fillRect(x + 6, y - 1, 1, 1, kOutline);
}

void MascotFolder16(QPainter& p)
{
    Folder16(p);
    OwlFace16(p, 9, 9);
}

void BrokenCatalog16(QPainter& p)
{
    p.setPen(Line(kOutline));
    p.setBrush(kPaper);
    p.drawPolygon(QPolygon({{2, 1}, {9, 1}, {7, 4}, {9, 7}, {7, 10}, {8, 14}, {2, 14}}));
    p.setBrush(kRed);
    p.setPen(Line(QColor(140, 0, 0)));
    p.drawEllipse(QRect(7, 6, 8, 8));
    p.setPen(Qt::NoPen);
    p.fillRect(10, 7, 2, 4, kPaper);
    p.fillRect(10, 12, 2, 1, kPaper);
}

void ShelfRoot16(QPainter& p)
{
    Folder16(p);
    OwlFace16(p, 4, 6);
}

void MediaBox16(QPainter& p)
{
    p.setPen(Line(kOutline));
    p.setBrush(kDisc);
    p.drawEllipse(QRect(2, 1, 8, 8));
    p.setBrush(kFloppy);
    p.drawRect(8, 2, 6, 6);
    p.setPen(Qt::NoPen);
    p.fillRect(10, 3, 3, 2, kMetal);
    p.setPen(Line(kOutline));
    p.setBrush(kBox);
    p.drawRect(1, 8, 14, 6);
    p.drawLine(0, 8, 2, 6);
    p.drawLine(15, 8, 13, 6);
}

QImage Strip(int size, const std::vector<Drawing>& pictures)
{
    QImage strip(size * static_cast<int>(pictures.size()), size, QImage::Format_RGB32);
    strip.fill(kMagenta);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        painter.save();
        painter.translate(static_cast<int>(i) * size, 0);
        pictures[i](painter);
        painter.restore();
    }
    return strip;
}

void Drive(QPainter& p)
{
    // A drive with a disc going in and a plus: "add to the catalog".
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kMetal);
    p.drawRoundedRect(QRectF(2, 16, 28, 12), 2, 2);
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(6, 19, 20, 2));
    p.setBrush(QColor(0, 170, 0));
    p.drawEllipse(QRectF(24, 23, 3, 3));
    QRadialGradient shine(QPointF(13, 8), 10);
    shine.setColorAt(0, QColor(245, 245, 255));
    shine.setColorAt(1, QColor(170, 180, 220));
    p.setBrush(shine);
    p.drawEllipse(QRectF(5, 1, 16, 16));
    p.setBrush(kPaper);
    p.drawEllipse(QRectF(11.5, 7.5, 3, 3));
    p.setPen(QPen(QColor(0, 130, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(26, 3), QPointF(26, 11));
    p.drawLine(QPointF(22, 7), QPointF(30, 7));
}

void Magnifier(QPainter& p)
{
    p.setPen(QPen(QColor(90, 60, 30), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(kOutline, 2.5));
    p.setBrush(QColor(200, 225, 255, 200));
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.setPen(QPen(kPaper, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(7, 7, 10, 10), 100 * 16, 70 * 16);
}

void Information(QPainter& p)
{
    p.setPen(QPen(QColor(20, 60, 140), 1.5));
    QRadialGradient fill(QPointF(12, 10), 18);
    fill.setColorAt(0, QColor(110, 160, 240));
    fill.setColorAt(1, QColor(30, 80, 180));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawEllipse(QRectF(14, 7, 4, 4));
    p.drawRoundedRect(QRectF(14, 13, 4, 12), 1, 1);
}

void ModuleIcon(QPainter& p)
{
    // The mascot on a disc: the catalog of media.
    QRadialGradient shine(QPointF(12, 10), 20);
    shine.setColorAt(0, QColor(245, 245, 255));
    shine.setColorAt(1, QColor(150, 160, 210));
    p.setPen(QPen(kOutline, 1));
    p.setBrush(shine);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    OwlFace(p, QRect(7, 6, 18, 21));
}

QImage HeaderBand()
{
    // The band across the top of the About and How-to-use dialogs; they
    // scale it to their width.
    QImage band(508, 56, QImage::Format_ARGB32);
    QPainter p(&band);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    QLinearGradient sky(0, 0, band.width(), 0);
    sky.setColorAt(0, QColor(20, 50, 120));
    sky.setColorAt(1, QColor(90, 150, 220));
    p.fillRect(band.rect(), sky);
    p.save();
    p.translate(10, 4);
    p.scale(1.5, 1.5);
    ModuleIcon(p);
    p.restore();
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(28);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(68, 0, 300, 56), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Pellidor"));
    // A shelf of media on the right.
    p.setPen(QPen(QColor(30, 40, 70), 1));
    const QColor spines[] = {QColor(230, 190, 70), QColor(200, 70, 60), QColor(240, 240, 240), QColor(80, 170, 90),
        QColor(230, 190, 70), QColor(120, 110, 200)};
    int x = 360;
    for (int i = 0; i < 6; ++i) {
        p.setBrush(spines[i]);
        const int w = (i % 2 == 0) ? 14 : 10;
        p.drawRect(x, 12 + (i % 3) * 2, w, 36 - (i % 3) * 2);
        x += w + 3;
    }
    p.setBrush(QColor(60, 40, 20));
    p.drawRect(352, 48, 140, 4);
    return band;
}

// The reading dialog's pictures, 80 x 48 pixels: a drive on the left, the
// shelf's box on the right; the animation moves a sheet from one to the
// other while the drive's light blinks.
constexpr int kReadWidth = 80;
constexpr int kReadHeight = 48;
constexpr int kReadFrames = 12;

void ReadingScene(QPainter& p, int frame)
{
    p.save();
    p.translate(0, 8);
    Drive(p);
    p.restore();
    p.save();
    p.translate(48, 10);
    MediaBox(p);
    p.restore();
    if (frame < 0)
        return;
    // The sheet follows an arc from the drive's slot into the box.
    const double t = static_cast<double>(frame) / (kReadFrames - 1);
    const double x = 14 + t * 46;
    const double y = 20 - 16 * 4 * t * (1 - t);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(x - 4, y - 5, 8, 10));
    p.setPen(QPen(kPaperShade, 1));
    p.drawLine(QPointF(x - 2, y - 2), QPointF(x + 2, y - 2));
    p.drawLine(QPointF(x - 2, y + 1), QPointF(x + 2, y + 1));
    p.setPen(Qt::NoPen);
    p.setBrush(frame % 2 == 0 ? QColor(0, 220, 0) : QColor(0, 90, 0));
    p.drawEllipse(QRectF(24, 31, 3, 3));
}

QImage ReadingPicture(int frame)
{
    QImage image(kReadWidth, kReadHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    ReadingScene(painter, frame);
    return image;
}

// The Find window's animation, 48 x 48 pixels: a magnifier circles over a
// page of the catalog, whose lines light up where the glass passes.
constexpr int kFindSize = 48;
constexpr int kFindFrames = 12;

QImage FindingPicture(int frame)
{
    QImage image(kFindSize, kFindSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(8.5, 4.5, 26, 34));
    const double angle = 2 * 3.14159265358979 * frame / kFindFrames;
    const QPointF glass(21.5 + 7 * std::cos(angle), 19.5 + 8 * std::sin(angle));
    for (int line = 0; line < 6; ++line) {
        const double y = 10.5 + line * 5;
        const bool lit = std::abs(y - glass.y()) < 5;
        p.setPen(QPen(lit ? kRed : kPaperShade, 2));
        p.drawLine(QPointF(12, y), QPointF(line % 2 == 0 ? 31 : 26, y));
    }
    p.setPen(QPen(QColor(90, 60, 30), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(glass + QPointF(7, 7), glass + QPointF(14, 14));
    p.setPen(QPen(kOutline, 2));
    p.setBrush(QColor(200, 225, 255, 160));
    p.drawEllipse(glass, 9, 9);
    return image;
}

// A GIF89a writer, enough for our own animation: one fixed palette (the
// 6 x 6 x 6 colour cube, index 216 transparent) and LZW codes kept at nine
// bits by a clear code before the table would grow, which every decoder
// reads.
class GifWriter {
public:
    GifWriter(int width, int height) : width_(width), height_(height)
    {
        Bytes("GIF89a");
        Word(width);
        Word(height);
        data_.append(static_cast<char>(0xF7)); // global table of 256 colours
        data_.append('\0');
        data_.append('\0');
        for (int i = 0; i < 256; ++i) {
            const int r = i < 216 ? i / 36 * 51 : 0;
            const int g = i < 216 ? i / 6 % 6 * 51 : 0;
            const int b = i < 216 ? i % 6 * 51 : 0;
            data_.append(static_cast<char>(r));
            data_.append(static_cast<char>(g));
            data_.append(static_cast<char>(b));
        }
        // Loop for ever.
        Bytes("\x21\xFF\x0BNETSCAPE2.0\x03\x01");
        Word(0);
        data_.append('\0');
    }

    void AddFrame(const QImage& image, int delayHundredths)
    {
        Bytes("\x21\xF9\x04");
        data_.append(static_cast<char>(0x09)); // restore to background, transparent index
        Word(delayHundredths);
        data_.append(static_cast<char>(kTransparent));
        data_.append('\0');
        data_.append(',');
        Word(0);
        Word(0);
        Word(width_);
        Word(height_);
        data_.append('\0');
        data_.append(static_cast<char>(8)); // minimum code size
        Codes(Indexes(image));
    }

    QByteArray Finish()
    {
        data_.append(';');
        return data_;
    }

private:
    static constexpr int kTransparent = 216;
    static constexpr int kClear = 256;
    static constexpr int kEnd = 257;

    void Bytes(const char* text) { data_.append(text, static_cast<qsizetype>(std::char_traits<char>::length(text))); }
    void Word(int value)
    {
        data_.append(static_cast<char>(value & 0xFF));
        data_.append(static_cast<char>((value >> 8) & 0xFF));
    }

    std::vector<int> Indexes(const QImage& image) const
    {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        std::vector<int> indexes;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const QRgb pixel = argb.pixel(x, y);
                const auto level = [](int c) { return (c + 25) / 51; };
                indexes.push_back(qAlpha(pixel) < 128
                        ? kTransparent
                        : level(qRed(pixel)) * 36 + level(qGreen(pixel)) * 6 + level(qBlue(pixel)));
            }
        }
        return indexes;
    }

    void Codes(const std::vector<int>& indexes)
    {
        QByteArray packed;
        unsigned bits = 0;
        int count = 0;
        const auto put = [&](int code) {
            bits |= static_cast<unsigned>(code) << count;
            count += 9;
            while (count >= 8) {
                packed.append(static_cast<char>(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        };
        int sinceClear = 0;
        put(kClear);
        for (const int index : indexes) {
            // The table would reach 512 entries, and ten-bit codes, after
            // 254 more; clear it first.
            if (sinceClear == 250) {
                put(kClear);
                sinceClear = 0;
            }
            put(index);
            ++sinceClear;
        }
        put(kEnd);
        if (count > 0)
            packed.append(static_cast<char>(bits & 0xFF));
        for (qsizetype at = 0; at < packed.size(); at += 255) {
            const qsizetype size = std::min<qsizetype>(255, packed.size() - at);
            data_.append(static_cast<char>(size));
            data_.append(packed.mid(at, size));
        }
        data_.append('\0');
    }

    int width_;
    int height_;
    QByteArray data_;
};

bool SaveAnimation(const QDir& dir, const char* name, QSize size, int frames, QImage (*picture)(int frame))
{
    GifWriter gif(size.width(), size.height());
    for (int frame = 0; frame < frames; ++frame)
        gif.AddFrame(picture(frame), 8);
    QFile file(dir.filePath(QString::fromUtf8(name)));
    if (!file.open(QIODevice::WriteOnly) || file.write(gif.Finish()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace

// The attribute boxes of the property pages, 13 × 13: a sunken white box,
// and the same box with a check mark.
QImage AttributeBox(bool checked)
{
    QImage image(13, 13, QImage::Format_ARGB32);
    image.fill(kPaper);
    QPainter p(&image);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(0, 0, 12, 0);
    p.drawLine(0, 0, 0, 12);
    p.setPen(kOutline);
    p.drawLine(1, 1, 11, 1);
    p.drawLine(1, 1, 1, 11);
    p.setPen(kPaperShade);
    p.drawLine(1, 12, 12, 12);
    p.drawLine(12, 1, 12, 12);
    if (checked) {
        p.setPen(Qt::black);
        for (int i = 0; i < 3; ++i) {
            p.drawLine(3, 5 + i, 5, 7 + i);
            p.drawLine(5, 7 + i, 9, 3 + i);
        }
    }
    return image;
}

int main(int argc, char** argv)
{
    DrawWithoutDisplay();
    QGuiApplication app(argc, argv);
    const std::optional<QDir> folder = OutputFolder(argc, argv);
    if (!folder)
        return 2;
    const QDir& dir = *folder;
    // The order of the fixed pictures is the order of their indexes.
    const std::vector<Drawing> large = {Document, Folder, MascotFolder, BrokenCatalog, ShelfRoot, MediaBox};
    const std::vector<Drawing> small = {Document16, Folder16, MascotFolder16, BrokenCatalog16, ShelfRoot16, MediaBox16};
    bool ok = Save(Strip(32, large), dir, "1005.png");
    ok = Save(Strip(16, small), dir, "1006.png") && ok;
    ok = Save(HeaderBand(), dir, "1028.png") && ok;
    ok = Save(Icon(32, Drive), dir, "137.png") && ok;
    ok = Save(Icon(32, Magnifier), dir, "138.png") && ok;
    ok = Save(Icon(32, Information), dir, "139.png") && ok;
    ok = Save(Icon(32, ModuleIcon), dir, "1.png") && ok;
    ok = Save(Icon(16, ModuleIcon), dir, "1-16.png") && ok;
    // The larger sizes a desktop's launcher and file managers ask the
    // icon theme for.
    ok = Save(Icon(48, ModuleIcon), dir, "1-48.png") && ok;
    ok = Save(Icon(128, ModuleIcon), dir, "1-128.png") && ok;
    // The drive menu's mark, and the reading dialog's picture and animation.
    ok = Save(Icon(16, Drive), dir, "1001.png") && ok;
    ok = Save(ReadingPicture(-1), dir, "1012.png") && ok;
    ok = SaveAnimation(dir, "1011.gif", QSize(kReadWidth, kReadHeight), kReadFrames, ReadingPicture) && ok;
    // The Find window's animation.
    ok = SaveAnimation(dir, "1015.gif", QSize(kFindSize, kFindSize), kFindFrames, FindingPicture) && ok;
    ok = Save(AttributeBox(false), dir, "1026.png") && ok;
    ok = Save(AttributeBox(true), dir, "1027.png") && ok;
    return ok ? 0 : 1;
}
