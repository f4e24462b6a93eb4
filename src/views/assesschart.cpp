#include "views/assesschart.h"

#include "assess/guidelines.h"
#include "views/assesstext.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double lowHz = 1, highHz = 100;
constexpr double cornersHz[] = {1, 10, 50, 100};

// The governing component, else the one of the largest peak.
const EventComponent *leadingComponent(const AssessEvent &event)
{
    if (const EventComponent *g = governingComponent(event))
        return g;
    const EventComponent *largest = nullptr;
    for (const EventComponent &c : event.components)
        if (!largest || c.structure.ppv > largest->structure.ppv)
            largest = &c;
    return largest;
}

std::vector<AxisMark> frequencyMarks(const AxisFrame &frame, const FontUnits &font, std::string_view sep)
{
    // 10 Hz at least, so that the corners 10, 50 and 100 Hz are labelled.
    const double step = std::max(10.0, niceStep(highHz, ticksThatFit(frame.plot.right - frame.plot.left, font, 3)));
    std::vector<Tick> ticks{{lowHz, "1", {}}};
    for (const Tick &tick : stepTicks(step, highHz, step, sep))
        ticks.push_back(tick);
    return axisMarks(ticks, xMap(lowHz, highHz, frame.plot));
}

ChartLine chartLine(Building building, const StructureChart &chart, const AxisFrame &frame,
                    const LinearMap &y, const FontUnits &font)
{
    ChartLine line{building, building == chart.building, {}, {}};
    const LinearMap x = xMap(lowHz, highHz, frame.plot);
    for (double hz : cornersHz)
        line.points.push_back({static_cast<float>(x(hz)),
                               static_cast<float>(y(guidelineValue(building, chart.place, hz).value_or(0)))});
    const PlotPoint end = line.points.back();
    line.label = {end, {static_cast<float>(end.x - font.digit), static_cast<float>(end.y - 0.6 * font.line)},
                  true, {}};
    if (line.label.text.y > frame.plot.top + 0.5 * font.line)
        line.label.label = buildingWords(building, Place::Foundation);
    return line;
}

// Labels on one side of their points move down until they clear the ones
// placed before them.
void separateLabels(std::vector<PlotLabel> &labels, const FontUnits &font)
{
    for (std::size_t i = 0; i < labels.size(); ++i)
        for (bool moved = true; moved;) {
            moved = false;
            for (std::size_t j = 0; j < i; ++j) {
                const PlotLabel &a = labels[j];
                PlotLabel &b = labels[i];
                if (a.textLeft == b.textLeft && std::abs(a.text.x - b.text.x) < 8 * font.digit &&
                    std::abs(a.text.y - b.text.y) < font.line) {
                    b.text.y = static_cast<float>(a.text.y + font.line);
                    moved = true;
                }
            }
        }
}

} // namespace

StructureChart structureChart(const AssessEvent &event)
{
    StructureChart chart{event.structureOptions.building, event.structureOptions.place, true, {}};
    for (const EventComponent &c : event.components)
        if (c.structure.frequencyUsed)
            chart.points.push_back({*c.structure.frequencyUsed, c.structure.ppv, c.structure.verdict,
                                    c.channel.channel});
    return chart;
}

std::optional<ChartPoint> governingPoint(const AssessEvent &event)
{
    const EventComponent *c = leadingComponent(event);
    if (!c || !c->structure.frequencyUsed)
        return std::nullopt;
    return ChartPoint{*c->structure.frequencyUsed, c->structure.ppv, c->structure.verdict, {}};
}

ChartGeometry chartGeometry(const StructureChart &chart, const PlotRect &area, const FontUnits &font,
                            std::string_view separator)
{
    ChartGeometry g;
    g.frame = frameIn(area, font, true, 4, 1);
    const PlotRect &plot = g.frame.plot;
    double largest = guidelineValue(chart.building, chart.place, highHz).value_or(0);
    for (const ChartPoint &p : chart.points)
        largest = std::max(largest, p.value);
    const int ticks = ticksThatFit(plot.bottom - plot.top, font, 0);
    const double scale = niceCeiling(largest > 0 ? 1.1 * largest : 1, ticks);
    const LinearMap x = xMap(lowHz, highHz, plot), y = yMap(0, scale, plot);
    g.frame.x = frequencyMarks(g.frame, font, separator);
    g.frame.y = axisMarks(valueTicks(0, scale, ticks, separator), y);
    g.frame.xTitle = "Hz";
    g.frame.yTitle = "mm/s";
    g.frame.caption = "DIN 4150-3 guideline for " + buildingWords(chart.building, chart.place);
    for (Building b : {Building::Commercial, Building::Dwelling, Building::Sensitive})
        if (b != chart.building && chart.otherLines)
            g.lines.push_back(chartLine(b, chart, g.frame, y, font));
    g.lines.push_back(chartLine(chart.building, chart, g.frame, y, font));
    for (const ChartPoint &p : chart.points) {
        const PlotPoint at{static_cast<float>(x(std::clamp(p.frequency, lowHz, highHz))),
                           static_cast<float>(y(p.value))};
        g.points.push_back(at);
        if (!p.label.empty())
            g.labels.push_back(labelBeside(at, plot, font, p.label));
    }
    separateLabels(g.labels, font);
    return g;
}

std::optional<std::size_t> chartPointAt(const ChartGeometry &geometry, PlotPoint at, double radius)
{
    std::optional<std::size_t> nearest;
    double best = radius;
    for (std::size_t i = 0; i < geometry.points.size(); ++i) {
        const double d = std::hypot(geometry.points[i].x - at.x, geometry.points[i].y - at.y);
        if (d <= best) {
            best = d;
            nearest = i;
        }
    }
    return nearest;
}

std::optional<TimelineEvent> timelineEvent(const AssessEvent &event)
{
    const EventComponent *c = leadingComponent(event);
    if (!c || !c->channel.startMicros || !(c->channel.rate > 0))
        return std::nullopt;
    const StructureResult &r = c->structure;
    TimelineEvent t;
    t.micros = *c->channel.startMicros + std::llround(static_cast<double>(r.ppvIndex) / c->channel.rate * 1e6);
    t.value = r.ppv;
    if (event.standard == Standard::Din4150_3)
        t.limit = r.limit;
    t.verdict = c == governingComponent(event) ? event.verdict : Verdict::NoGuideline;
    return t;
}

TimelineGeometry timelineGeometry(std::span<const TimelineEvent> events, const PlotRect &area,
                                  const FontUnits &font, std::string_view separator)
{
    TimelineGeometry g;
    g.frame = frameIn(area, font, true, 4, 2);
    g.frame.xTitle = "UTC";
    g.frame.yTitle = "mm/s";
    g.frame.caption = "Governing peak of each event; dash: its guideline value";
    if (events.empty())
        return g;
    const PlotRect &plot = g.frame.plot;
    int64_t first = events.front().micros, last = first;
    double largest = 0;
    for (const TimelineEvent &e : events) {
        first = std::min(first, e.micros);
        last = std::max(last, e.micros);
        largest = std::max({largest, e.value, e.limit.value_or(0)});
    }
    const int64_t pad = last > first ? (last - first) / 25 : int64_t{3600} * 1000000;
    const int64_t origin = first - pad;
    const double span = static_cast<double>(last - first + 2 * pad) / 1e6;
    const int ticks = ticksThatFit(plot.bottom - plot.top, font, 0);
    const double scale = niceCeiling(largest > 0 ? 1.1 * largest : 1, ticks);
    const LinearMap x = xMap(0, span, plot), y = yMap(0, scale, plot);
    g.frame.x = axisMarks(timeTicks(0, span, origin, ticksThatFit(plot.right - plot.left, font, 10), separator), x);
    g.frame.y = axisMarks(valueTicks(0, scale, ticks, separator), y);
    const auto dash = static_cast<float>(0.8 * font.digit);
    for (const TimelineEvent &e : events) {
        const auto at = static_cast<float>(x(static_cast<double>(e.micros - origin) / 1e6));
        g.points.push_back({at, static_cast<float>(y(e.value))});
        if (e.limit) {
            const auto level = static_cast<float>(y(*e.limit));
            g.limits.push_back({at - dash, level, at + dash, level});
        }
    }
    return g;
}
