#include "views/ListPrinter.h"

#include "module/Resources.h"
#include "platform/ui/Strings.h"
#include "views/ViewList.h"

#include <QDate>
#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <climits>

namespace pellidor {

namespace {

// At most this many columns, the leftmost by display order.
constexpr int kMostColumns = 10;
// A cell prints at most this many characters.
constexpr int kMostCellCharacters = 255;
constexpr UINT kDateOnlyFormat = 2025;
constexpr int kWrap = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

QFont PrintFont(bool bold)
{
    // Resolved through fontconfig: an installed serif face stands in when
    // this one is missing.
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSize(8);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QString DateText()
{
    // The date format of the string table, in strftime's notation.
    QString format = QString::fromStdString(platform::ui::LoadString(kProductResources, kDateOnlyFormat));
    format.replace(QStringLiteral("%d"), QStringLiteral("dd"))
        .replace(QStringLiteral("%m"), QStringLiteral("MM"))
        .replace(QStringLiteral("%y"), QStringLiteral("yy"));
    return QDate::currentDate().toString(format);
}

} // namespace

CListPrinter::CListPrinter(const CViewList& list) : list_(list)
{
}

QString CListPrinter::HeadingText()
{
    return QString::asprintf("%s %i.%i%c", "Pellidor", 1, 5, 'c');
}

void CListPrinter::PlanColumns(int pageWidth)
{
    columns_.clear();
    long long total = 0;
    int position = 0;
    for (const auto& [column, width] : list_.ColumnsInDisplayOrder()) {
        if (position++ >= kMostColumns)
            break;
        if (width <= 0)
            continue;
        columns_.push_back({column, width});
        total += width;
    }
    for (PrintedColumn& printed : columns_)
        printed.width = static_cast<int>(printed.width * static_cast<long long>(pageWidth) / total);
}

int CListPrinter::RowHeight(QPainter& painter, int row) const
{
    int height = 0;
    for (const PrintedColumn& printed : columns_) {
        const QString text = QString::fromStdString(list_.TextAt(row, printed.column)).left(kMostCellCharacters);
        height = std::max(height, painter.boundingRect(QRect(0, 0, printed.width, INT_MAX / 2), kWrap, text).height());
    }
    return height;
}

int CListPrinter::DrawCells(QPainter& painter, int top, int height, int row) const
{
    int x = left_;
    for (const PrintedColumn& printed : columns_) {
        const QString text = row < 0
            ? QString::fromStdString(list_.HeadingText(printed.column))
            : QString::fromStdString(list_.TextAt(row, printed.column)).left(kMostCellCharacters);
        painter.drawText(QRect(x, top, printed.width, height), kWrap, text);
        x += printed.width;
    }
    return height;
}

int CListPrinter::DrawHeading(QPainter& painter, const QRect& page, int pageNumber) const
{
    painter.setFont(PrintFont(true));
    const QString left = HeadingText();
    const QString middle = DateText();
    const QString right = QString::number(pageNumber);
    int height = 0;
    for (const auto& [text, alignment] :
        {std::pair{left, Qt::AlignLeft}, std::pair{middle, Qt::AlignHCenter}, std::pair{right, Qt::AlignRight}}) {
        const QRect used = painter.boundingRect(page, alignment | Qt::AlignTop, text);
        painter.drawText(page, alignment | Qt::AlignTop, text);
        height = std::max(height, used.height());
    }
    int y = page.top() + height;
    painter.drawLine(page.left(), y, page.right(), y);
    y += height;
    // The column titles, wrapped like the cells.
    int titles = 0;
    for (const PrintedColumn& printed : columns_) {
        const QString text = QString::fromStdString(list_.HeadingText(printed.column));
        titles = std::max(titles, painter.boundingRect(QRect(0, 0, printed.width, INT_MAX / 2), kWrap, text).height());
    }
    y += DrawCells(painter, y, titles, -1);
    painter.setFont(PrintFont(false));
    return y;
}

int CListPrinter::Print(QPrinter& printer)
{
    printer.setDocName(QStringLiteral("Pellidor"));
    const int rows = list_.ItemCount();
    if (rows == 0)
        return 0;
    // One inch from each edge of the paper, inside the printable area, in
    // the printable area's coordinates.
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
    const int inchX = printer.logicalDpiX();
    const int inchY = printer.logicalDpiY();
    QRect page = paper.adjusted(inchX, inchY, -inchX, -inchY).intersected(printable);
    page.translate(-printable.topLeft());
    if (page.isEmpty())
        return 0;
    PlanColumns(page.width());
    left_ = page.left();
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    int pageNumber = 1;
    int row = 0;
    while (row < rows) {
        if (pageNumber > 1)
            printer.newPage();
        int y = DrawHeading(painter, page, pageNumber);
        bool first = true;
        while (row < rows) {
            const int height = RowHeight(painter, row);
            if (y + height >= page.bottom() && !first)
                break;
            // A row taller than what is left of a fresh page is cut at the
            // page's bottom; the next row goes on the next page.
            const int shown = std::min(height, page.bottom() - y);
            painter.save();
            painter.setClipRect(QRect(page.left(), y, page.width(), std::max(shown, 0)));
            DrawCells(painter, y, height, row);
            painter.restore();
            y += height;
            ++row;
            first = false;
        }
        ++pageNumber;
    }
    painter.end();
    return pageNumber - 1;
}

} // namespace pellidor
