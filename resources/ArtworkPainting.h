#pragma once
// What the programs that draw the product's pictures share: the palette
// both draw with, icons drawn on a 32 × 32 grid at any size, and writing a
// picture as a PNG file.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

namespace pellidor::artwork {

inline const QColor kOutline(64, 64, 64);
inline const QColor kPaper(255, 255, 255);
inline const QColor kOwl(150, 90, 40);
inline const QColor kOwlLight(220, 180, 120);
inline const QColor kBeak(250, 150, 0);

using Drawing = std::function<void(QPainter&)>;

// `draw` paints on a 32 × 32 grid; the icon is `size` pixels square, with
// alpha and antialiasing.
inline QImage Icon(int size, const Drawing& draw)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(size / 32.0, size / 32.0);
    draw(painter);
    return image;
}

// Before the application is made: the pictures are drawn without a
// display unless a platform is named.
inline void DrawWithoutDisplay()
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// The folder the program's one argument names; none, after the usage, when
// there is not exactly one.
inline std::optional<QDir> OutputFolder(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return std::nullopt;
    }
    return QDir(QString::fromLocal8Bit(argv[1]));
}

// Says on the error stream which file could not be written.
inline bool Save(const QImage& image, const QDir& dir, const char* name)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace pellidor::artwork
