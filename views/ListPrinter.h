#pragma once
// CListPrinter: the list control printed as a table. Each page has the
// heading (product and version, today's date, the page number), a rule, the
// column titles and as many rows as fit; at most the ten leftmost columns in
// display order are printed, their screen widths scaled to fill the page.

#include <QString>

#include <vector>

class QPainter;
class QPrinter;
class QRect;

namespace pellidor {

class CViewList;

class CListPrinter {
public:
    explicit CListPrinter(const CViewList& list);

    // Prints on `printer`; the number of pages printed. An empty list starts
    // no page at all. A row taller than a whole page is cut to one page, so
    // printing always ends.
    int Print(QPrinter& printer);

    // The heading's left part: "Pellidor 1.5c".
    static QString HeadingText();

private:
    struct PrintedColumn {
        int column;
        int width;
    };
    void PlanColumns(int pageWidth);
    int RowHeight(QPainter& painter, int row) const;
    int DrawCells(QPainter& painter, int top, int height, int row) const;
    int DrawHeading(QPainter& painter, const QRect& page, int pageNumber) const;

    const CViewList& list_;
    std::vector<PrintedColumn> columns_;
    int left_ = 0;
};

} // namespace pellidor
