#include "window/plotpainting.h"

#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>

namespace {

constexpr qreal wide = 1e5;   // room for any text beside its anchor

void paintXLabels(QPainter &painter, const AxisFrame &frame, const FontUnits &font)
{
    const qreal top = frame.plot.bottom + 0.2 * font.line;
    const QFontMetricsF metrics = painter.fontMetrics();
    const QString title = qText(frame.xTitle);
    const qreal leftmost = frame.outer.left + metrics.horizontalAdvance(title) + font.digit;
    for (const AxisMark &mark : frame.x) {
        // Kept whole inside the area the plot was given, clear of the title.
        const QString label = qText(mark.label), date = qText(mark.date);
        const qreal half = std::max(metrics.horizontalAdvance(label), metrics.horizontalAdvance(date)) / 2;
        const qreal x = std::clamp<qreal>(mark.at, leftmost + half, frame.outer.right - half);
        painter.drawText(QRectF(x - half - 1, top, 2 * half + 2, font.line), Qt::AlignCenter, label);
        if (!mark.date.empty())
            painter.drawText(QRectF(x - half - 1, top + font.line, 2 * half + 2, font.line), Qt::AlignCenter, date);
    }
    painter.setPen(PictureColours::faint);
    paintText(painter, {frame.outer.left, top + 0.5 * font.line}, title, false);
}

void paintTitles(QPainter &painter, const AxisFrame &frame, const FontUnits &font)
{
    painter.setPen(PictureColours::faint);
    painter.save();
    painter.translate(frame.outer.left + 0.6 * font.line, (frame.plot.top + frame.plot.bottom) / 2);
    painter.rotate(-90);
    painter.drawText(QRectF(-wide, -0.5 * font.line, 2 * wide, font.line), Qt::AlignCenter, qText(frame.yTitle));
    painter.restore();
    painter.setPen(PictureColours::text);
    paintText(painter, {frame.plot.left, frame.plot.top - 0.75 * font.line}, qText(frame.caption), false);
}

} // namespace

QString qText(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPointF qPoint(PlotPoint point)
{
    return {point.x, point.y};
}

QRectF qRect(const PlotRect &rect)
{
    return QRectF(QPointF(rect.left, rect.top), QPointF(rect.right, rect.bottom));
}

PlotRect plotRect(const QRectF &rect)
{
    return {rect.left(), rect.top(), rect.right(), rect.bottom()};
}

qreal lineWidth(const FontUnits &font, qreal width)
{
    return width * lineUnit(font);
}

void paintFrame(QPainter &painter, const AxisFrame &frame, const FontUnits &font)
{
    const QRectF plot = qRect(frame.plot);
    painter.setPen(QPen(PictureColours::grid, lineWidth(font, 0.8)));
    for (const AxisMark &mark : frame.x)
        painter.drawLine(QPointF(mark.at, plot.top()), QPointF(mark.at, plot.bottom()));
    for (const AxisMark &mark : frame.y)
        painter.drawLine(QPointF(plot.left(), mark.at), QPointF(plot.right(), mark.at));
    painter.setPen(QPen(PictureColours::border, lineWidth(font, 0.8)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    painter.setPen(PictureColours::text);
    for (const AxisMark &mark : frame.y)
        paintText(painter, {plot.left() - 0.5 * font.digit, mark.at}, qText(mark.label), true);
    if (frame.xLabels)
        paintXLabels(painter, frame, font);
    paintTitles(painter, frame, font);
}

void paintTrace(QPainter &painter, const TraceShape &trace, const QColor &colour, qreal width)
{
    if (trace.points.empty())
        return;
    if (trace.band) {
        // Each stroke covers its device column exactly: no smoothing, which
        // would also cost sixty times the time on a day's record.
        std::vector<QLineF> strokes;
        strokes.reserve(trace.points.size() / 2);
        for (std::size_t i = 0; i + 1 < trace.points.size(); i += 2)
            strokes.emplace_back(qPoint(trace.points[i]), qPoint(trace.points[i + 1]));
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(colour, trace.columnWidth, Qt::SolidLine, Qt::FlatCap));
        painter.drawLines(strokes.data(), static_cast<int>(strokes.size()));
        painter.restore();
        return;
    }
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(trace.points.size()));
    for (const PlotPoint &point : trace.points)
        polygon.append(qPoint(point));
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(polygon);
}

void paintText(QPainter &painter, QPointF at, const QString &text, bool rightAligned)
{
    const qreal line = painter.fontMetrics().height();
    const QRectF box = rightAligned ? QRectF(at.x() - wide, at.y() - line, wide, 2 * line)
                                    : QRectF(at.x(), at.y() - line, wide, 2 * line);
    painter.drawText(box, Qt::AlignVCenter | (rightAligned ? Qt::AlignRight : Qt::AlignLeft), text);
}

void paintLabel(QPainter &painter, const PlotLabel &label)
{
    paintText(painter, qPoint(label.text), qText(label.label), label.textLeft);
}

QColor verdictColour(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Met:
        return PictureColours::met;
    case Verdict::Exceeded:
        return PictureColours::exceeded;
    case Verdict::NoGuideline:
    case Verdict::Undetermined:
        break;
    }
    return PictureColours::none;
}

void paintMarker(QPainter &painter, QPointF at, Verdict verdict, qreal size)
{
    const QColor colour = verdictColour(verdict);
    const qreal r = size / 2;
    painter.setPen(QPen(verdict == Verdict::Exceeded ? colour.darker(140) : colour, size / 6));
    if (verdict == Verdict::Exceeded) {
        painter.setBrush(colour);
        const qreal d = r * 1.25;
        painter.drawPolygon(QPolygonF({at + QPointF(0, -d), at + QPointF(d, 0), at + QPointF(0, d), at + QPointF(-d, 0)}));
    } else {
        painter.setBrush(verdict == Verdict::Met ? QBrush(colour) : QBrush(Qt::white));
        painter.drawEllipse(at, r, r);
    }
    painter.setBrush(Qt::NoBrush);
}
