// The plots of the assessment pictures, each inside its rectangle.
#include "window/assesspicture.h"

#include "views/assessstrips.h"
#include "window/plotpainting.h"

namespace {

// Runs `paint` clipped to the plot, with antialiasing.
template <class Paint>
void insidePlot(QPainter &painter, const AxisFrame &frame, Paint paint)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(qRect(frame.plot), Qt::IntersectClip);
    paint();
    painter.restore();
}

// Markers with their words, right-aligned on the caption line where they
// clear the caption.
void paintVerdictKey(QPainter &painter, const AxisFrame &frame, const FontUnits &font)
{
    const std::pair<Verdict, QString> keys[] = {{Verdict::Met, QStringLiteral("met")},
                                                {Verdict::Exceeded, QStringLiteral("exceeded")},
                                                {Verdict::NoGuideline, QStringLiteral("no guideline")}};
    const QFontMetricsF metrics = painter.fontMetrics();
    qreal width = metrics.horizontalAdvance(qText(frame.caption)) + font.line;
    for (const auto &key : keys)
        width += metrics.horizontalAdvance(key.second) + 1.9 * font.line;
    if (width > frame.plot.right - frame.plot.left)
        return;
    const qreal y = frame.plot.top - 0.75 * font.line;
    qreal x = frame.plot.right;
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        painter.setPen(PictureColours::text);
        paintText(painter, {x, y}, key->second, true);
        x -= painter.fontMetrics().horizontalAdvance(key->second) + 0.7 * font.line;
        paintMarker(painter, {x, y}, key->first, 0.6 * font.line);
        x -= 1.2 * font.line;
    }
}

} // namespace

void paintWaveStrips(QPainter &painter, const QRectF &rect, const AssessEvent &event, std::string_view separator)
{
    const FontUnits font = fontUnits(painter.fontMetrics());
    const WaveStrips strips = waveStrips(event, plotRect(rect), font, columnsPerUnit(painter), separator);
    for (const WaveStrip &strip : strips.strips)
        paintFrame(painter, strip.frame, font);
    // Under the traces, which it must not hide.
    if (strips.vectorSumLine) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        const PlotSegment &s = *strips.vectorSumLine;
        painter.setPen(QPen(PictureColours::vectorSum, lineWidth(font, 1.2), Qt::DashLine));
        painter.drawLine(QPointF(s.x1, s.y1), QPointF(s.x2, s.y2));
        painter.setPen(PictureColours::text);
        paintLabel(painter, *strips.vectorSumLabel);
        painter.restore();
    }
    for (const WaveStrip &strip : strips.strips)
        insidePlot(painter, strip.frame, [&] {
            paintTrace(painter, strip.trace, PictureColours::trace, lineWidth(font, 1));
            // A ring, so that the trace shows through at the peak.
            painter.setPen(QPen(PictureColours::text, lineWidth(font, 1.2)));
            painter.drawEllipse(qPoint(strip.peak.mark), 0.3 * font.line, 0.3 * font.line);
            paintLabel(painter, strip.peak);
            QFont bold = painter.font();
            bold.setBold(true);
            painter.setFont(bold);
            paintText(painter, {strip.frame.plot.left + font.digit, strip.frame.plot.top + 0.7 * font.line},
                      qText(strip.name), false);
        });
}

void paintPeopleTraces(QPainter &painter, const QRectF &rect, const AssessEvent &event,
                       std::string_view separator)
{
    const FontUnits font = fontUnits(painter.fontMetrics());
    const PeopleTraces traces = peopleTraces(event, plotRect(rect), font, columnsPerUnit(painter), separator);
    paintFrame(painter, traces.frame, font);
    const QColor levelColours[] = {PictureColours::met, PictureColours::exceeded};
    insidePlot(painter, traces.frame, [&] {
        for (std::size_t k = 0; k < traces.levels.size(); ++k) {
            const PlotSegment &s = traces.levels[k].line;
            painter.setPen(QPen(levelColours[k % 2], lineWidth(font, 1.5), Qt::DashLine));
            painter.drawLine(QPointF(s.x1, s.y1), QPointF(s.x2, s.y2));
            paintLabel(painter, traces.levels[k].label);
        }
        for (std::size_t k = 0; k < traces.traces.size(); ++k)
            paintTrace(painter, traces.traces[k], PictureColours::components[k % 3], lineWidth(font, 1.2));
    });
    // The components' names in their traces' colours, right-aligned on the caption line.
    qreal x = traces.frame.plot.right;
    for (std::size_t k = traces.names.size(); k-- > 0;) {
        painter.setPen(PictureColours::components[k % 3]);
        const QString name = qText(traces.names[k]);
        paintText(painter, {x, traces.frame.plot.top - 0.75 * font.line}, name, true);
        x -= painter.fontMetrics().horizontalAdvance(name) + font.line;
    }
}

void paintStructureChart(QPainter &painter, const QRectF &rect, const StructureChart &chart,
                         std::string_view separator)
{
    const FontUnits font = fontUnits(painter.fontMetrics());
    const ChartGeometry g = chartGeometry(chart, plotRect(rect), font, separator);
    paintFrame(painter, g.frame, font);
    paintVerdictKey(painter, g.frame, font);
    insidePlot(painter, g.frame, [&] {
        for (const ChartLine &line : g.lines) {
            QPolygonF polygon;
            for (const PlotPoint &p : line.points)
                polygon.append(qPoint(p));
            const QColor colour = line.chosen ? PictureColours::text : PictureColours::otherLine;
            painter.setPen(QPen(colour, lineWidth(font, line.chosen ? 2 : 1.2)));
            painter.drawPolyline(polygon);
            painter.setPen(line.chosen ? PictureColours::text : PictureColours::faint);
            paintLabel(painter, line.label);
        }
        for (std::size_t i = 0; i < g.points.size(); ++i)
            paintMarker(painter, qPoint(g.points[i]), chart.points[i].verdict, 0.6 * font.line);
        painter.setPen(PictureColours::text);
        for (const PlotLabel &label : g.labels)
            paintLabel(painter, label);
    });
}

void paintTimeline(QPainter &painter, const QRectF &rect, std::span<const TimelineEvent> events,
                   std::string_view separator)
{
    const FontUnits font = fontUnits(painter.fontMetrics());
    const TimelineGeometry g = timelineGeometry(events, plotRect(rect), font, separator);
    paintFrame(painter, g.frame, font);
    paintVerdictKey(painter, g.frame, font);
    insidePlot(painter, g.frame, [&] {
        painter.setPen(QPen(PictureColours::text, lineWidth(font, 1.5)));
        for (const PlotSegment &s : g.limits)
            painter.drawLine(QPointF(s.x1, s.y1), QPointF(s.x2, s.y2));
        for (std::size_t i = 0; i < g.points.size(); ++i)
            paintMarker(painter, qPoint(g.points[i]), events[i].verdict, 0.5 * font.line);
    });
}
