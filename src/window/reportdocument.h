#pragma once

// The monitoring report as an A4 portrait PDF: the summary pages, a page
// per event, the files that gave none. Units are points (the writer runs
// at 72 dots per inch), y downwards from the page's top.

#include "report/pdfdocument.h"

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <cstddef>
#include <vector>

namespace ReportPage {
inline constexpr qreal width = 595.28, height = 841.89;   // A4
inline constexpr qreal margin = 42;
inline constexpr qreal bodyBottom = height - 48;          // the footer lies below
inline const QRectF body{margin, margin, width - 2 * margin, bodyBottom - margin};
} // namespace ReportPage

// The report's font (the pictures' sans serif) at `points`.
QFont documentFont(qreal points, bool bold = false);

// A table's columns fitted to `width`: each as wide as its widest text, the
// font made smaller (down to 5 points) where they do not fit.
struct TableLayout {
    QFont font, bold;
    std::vector<qreal> widths;
    qreal rowHeight = 0;
};
TableLayout tableLayout(const DocumentTable &table, QPaintDevice *device, qreal width);

// Rows first..last - 1 of the table, its header above them, from `top`;
// returns the y below the last row.
qreal paintTableRows(QPainter &painter, const DocumentTable &table, const TableLayout &layout, qreal top,
                     std::size_t first, std::size_t last);

// The summary's first part (title, site, facts, chart, timeline) from the
// body's top; returns the y below it. With `painter` null, only measures.
qreal paintSummaryHead(QPainter *painter, QPaintDevice *device, const DocumentSummary &summary);

// One event on its page.
void paintEventPage(QPainter &painter, const DocumentEvent &event);

// The slow level of every trace, with its threshold line, in `rect`.
void paintLevelTraces(QPainter &painter, const QRectF &rect, const std::vector<LevelTrace> &traces);

// Writes the whole document to `path`; the reason when it cannot, else empty.
QString writeReportDocument(const DocumentPlan &plan, const NextDocumentEvent &next, const QString &path);
