// The monitoring report's pages: tables, the summary's head, an event's page
// and its slow level traces.
#include "window/reportdocument.h"

#include "session/numbertext.h"
#include "views/envelope.h"
#include "window/assesspicture.h"
#include "window/plotpainting.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qreal tablePoints = 7.5, smallestPoints = 5;
constexpr qreal chartHeight = 250, timelineHeight = 170, pictureHeight = 420;

std::vector<qreal> columnWidths(const DocumentTable &table, const QFont &font, const QFont &bold,
                                QPaintDevice *device)
{
    const QFontMetricsF plain(font, device), strong(bold, device);
    const qreal pad = 1.2 * plain.horizontalAdvance(QLatin1Char('0'));
    std::vector<qreal> widths;
    for (const std::string &header : table.headers)
        widths.push_back(strong.horizontalAdvance(qText(header)) + pad);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const QFontMetricsF &m = r < table.marked.size() && table.marked[r] ? strong : plain;
        for (std::size_t c = 0; c < table.rows[r].size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], m.horizontalAdvance(qText(table.rows[r][c])) + pad);
    }
    return widths;
}

qreal sum(const std::vector<qreal> &values)
{
    qreal total = 0;
    for (qreal v : values)
        total += v;
    return total;
}

void paintHeadLine(QPainter &painter, qreal &y, const QString &text, const QFont &font, qreal after)
{
    painter.setFont(font);
    const qreal line = painter.fontMetrics().height();
    painter.setPen(PictureColours::text);
    painter.drawText(QRectF(ReportPage::margin, y, ReportPage::body.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(text, Qt::ElideMiddle, ReportPage::body.width()));
    y += line + after;
}

qreal measuredLine(QPaintDevice *device, const QFont &font)
{
    return QFontMetricsF(font, device).height();
}

} // namespace

TableLayout tableLayout(const DocumentTable &table, QPaintDevice *device, qreal width)
{
    TableLayout layout{documentFont(tablePoints), documentFont(tablePoints, true), {}, 0};
    layout.widths = columnWidths(table, layout.font, layout.bold, device);
    const qreal total = sum(layout.widths);
    if (total > width) {
        const qreal points = std::max(smallestPoints, std::floor(tablePoints * width / total * 4) / 4);
        layout.font = documentFont(points);
        layout.bold = documentFont(points, true);
        layout.widths = columnWidths(table, layout.font, layout.bold, device);
    }
    // What is left over spreads the columns evenly.
    const qreal spare = width - sum(layout.widths);
    if (spare > 0 && !layout.widths.empty())
        for (qreal &w : layout.widths)
            w += std::min(spare / layout.widths.size(), 4 * QFontMetricsF(layout.font, device).height());
    layout.rowHeight = 1.35 * QFontMetricsF(layout.font, device).height();
    return layout;
}

qreal paintTableRows(QPainter &painter, const DocumentTable &table, const TableLayout &layout, qreal top,
                     std::size_t first, std::size_t last)
{
    const qreal total = std::min(sum(layout.widths), ReportPage::body.width());
    const auto paintRow = [&](const std::vector<std::string> &cells, qreal y, bool strong) {
        painter.setFont(strong ? layout.bold : layout.font);
        qreal x = ReportPage::margin;
        for (std::size_t c = 0; c < cells.size() && c < layout.widths.size(); ++c) {
            painter.drawText(QRectF(x + 2, y, layout.widths[c], layout.rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             qText(cells[c]));
            x += layout.widths[c];
        }
    };
    painter.save();
    painter.fillRect(QRectF(ReportPage::margin, top, total, layout.rowHeight), PictureColours::grid);
    painter.setPen(PictureColours::text);
    paintRow(table.headers, top, true);
    qreal y = top + layout.rowHeight;
    for (std::size_t r = first; r < last; ++r, y += layout.rowHeight) {
        const bool marked = r < table.marked.size() && table.marked[r];
        if (marked) {
            QColor tint = PictureColours::exceeded;
            tint.setAlpha(48);
            painter.fillRect(QRectF(ReportPage::margin, y, total, layout.rowHeight), tint);
        }
        painter.setPen(PictureColours::grid);
        painter.drawLine(QPointF(ReportPage::margin, y + layout.rowHeight), QPointF(ReportPage::margin + total, y + layout.rowHeight));
        painter.setPen(PictureColours::text);
        paintRow(table.rows[r], y, marked);
    }
    painter.restore();
    return y;
}

qreal paintSummaryHead(QPainter *painter, QPaintDevice *device, const DocumentSummary &summary)
{
    qreal y = ReportPage::body.top();
    const QFont title = documentFont(18, true), site = documentFont(11), fact = documentFont(9),
                factKey = documentFont(9, true), chart = documentFont(7.5);
    const auto line = [&](const QString &text, const QFont &font, qreal after) {
        if (painter)
            paintHeadLine(*painter, y, text, font, after);
        else
            y += measuredLine(device, font) + after;
    };
    line(qText(summary.title), title, summary.site.empty() ? 8 : 2);
    if (!summary.site.empty())
        line(qText(summary.site), site, 8);
    qreal keyWidth = 0;
    for (const auto &[key, value] : summary.facts)
        keyWidth = std::max(keyWidth, QFontMetricsF(factKey, device).horizontalAdvance(qText(key)));
    for (const auto &[key, value] : summary.facts) {
        if (painter) {
            qreal at = y;
            paintHeadLine(*painter, at, qText(key), factKey, 0);
            painter->setFont(fact);
            const QRectF rect(ReportPage::margin + keyWidth + 12, y, ReportPage::body.width() - keyWidth - 12,
                              measuredLine(device, fact));
            painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, qText(value));
        }
        y += measuredLine(device, fact) + 1;
    }
    y += 8;
    if (summary.chart) {
        if (painter) {
            painter->setFont(chart);
            paintStructureChart(*painter, QRectF(ReportPage::margin, y, ReportPage::body.width(), chartHeight),
                                *summary.chart, ".");
        }
        y += chartHeight + 8;
    }
    if (!summary.timeline.empty()) {
        if (painter) {
            painter->setFont(chart);
            paintTimeline(*painter, QRectF(ReportPage::margin, y, ReportPage::body.width(), timelineHeight),
                          summary.timeline, ".");
        }
        y += timelineHeight + 8;
    }
    return y;
}

void paintEventPage(QPainter &painter, const DocumentEvent &event)
{
    qreal y = ReportPage::body.top();
    paintHeadLine(painter, y, qText(event.heading), documentFont(10, true), 6);
    if (event.assessment) {
        painter.setFont(documentFont(7));
        paintAssessPicture(painter, QRectF(ReportPage::margin, y, ReportPage::body.width(), pictureHeight),
                           *event.assessment, ".");
        y += pictureHeight + 8;
    }
    for (const DocumentTable *table : {&event.rows, &event.figures}) {
        if (table->headers.empty())
            continue;
        const TableLayout layout = tableLayout(*table, painter.device(), ReportPage::body.width());
        y = paintTableRows(painter, *table, layout, y, 0, table->rows.size()) + 8;
    }
    if (!event.levels.empty() && ReportPage::bodyBottom - y > 80)
        paintLevelTraces(painter, QRectF(ReportPage::margin, y, ReportPage::body.width(),
                                         std::min<qreal>(ReportPage::bodyBottom - y, 260)),
                         event.levels);
}

void paintLevelTraces(QPainter &painter, const QRectF &rect, const std::vector<LevelTrace> &traces)
{
    painter.save();
    painter.setFont(documentFont(7));
    const FontUnits font = fontUnits(painter.fontMetrics());
    AxisFrame frame = frameIn(plotRect(rect), font, true, 3, 2);
    double duration = 0, low = std::numeric_limits<double>::infinity(), high = traces.front().threshold;
    for (const LevelTrace &t : traces) {
        duration = std::max(duration, std::max<double>(t.level.size(), 1) / t.rate);
        for (float v : t.level) {
            low = std::min<double>(low, v);
            high = std::max<double>(high, v);
        }
    }
    low = std::min(std::floor(std::max(low, high - 120) / 10) * 10, traces.front().threshold - 10);
    high = std::ceil((high + 1) / 10) * 10;
    const QRectF plot = qRect(frame.plot);
    const LinearMap x = xMap(0, duration, frame.plot), y = yMap(low, high, frame.plot);
    const std::optional<int64_t> start = traces.front().startMicros;
    frame.x = axisMarks(timeTicks(0, duration, start, ticksThatFit(plot.width(), font, 8), "."), x);
    frame.y = axisMarks(valueTicks(low, high, ticksThatFit(plot.height(), font, 0), "."), y);
    frame.xTitle = start ? "UTC" : "s";
    frame.yTitle = "dB";
    frame.caption = "Slow level of each component; dashed: the perception threshold";
    paintFrame(painter, frame, font);
    painter.setClipRect(plot);
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t k = 0; k < traces.size(); ++k) {
        const LevelTrace &t = traces[k];
        const double width = plot.width() * (t.level.size() / t.rate) / duration;
        // A level changes slowly: a quarter of the print's columns draw it as well.
        paintTrace(painter, traceShape(t.level, plot.left(), width, columnsPerUnit(painter) / 4, y, lineWidth(font, 1)),
                   PictureColours::components[k % 3], lineWidth(font, 1));
    }
    const double at = y(traces.front().threshold);
    painter.setPen(QPen(PictureColours::exceeded, lineWidth(font, 1.5), Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), at), QPointF(plot.right(), at));
    painter.setPen(PictureColours::exceeded);
    paintText(painter, {plot.right() - font.digit, at - 0.6 * font.line},
              qText(shortestText(traces.front().threshold) + " dB"), true);
    painter.setClipping(false);
    qreal right = plot.right();
    for (std::size_t k = traces.size(); k-- > 0;) {
        painter.setPen(PictureColours::components[k % 3]);
        const QString name = qText(traces[k].channel);
        paintText(painter, {right, plot.top() - 0.75 * font.line}, name, true);
        right -= painter.fontMetrics().horizontalAdvance(name) + font.line;
    }
    painter.restore();
}
