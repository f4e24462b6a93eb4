#include "views/assessstrips.h"

#include "assess/guidelines.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The time axis every strip and trace shares: 0 at the first sample
// assessed, to the end of the longest trace.
struct TimeAxis {
    double duration = 1;
    std::optional<int64_t> startMicros;
    double startSeconds = 0;
    int labelLines() const { return startMicros ? 2 : 1; }
    int labelChars() const { return startMicros ? 10 : 6; }
};

TimeAxis timeAxis(const AssessEvent &event, bool people)
{
    TimeAxis axis;
    double longest = 0;
    for (const EventComponent &c : event.components) {
        const std::size_t n = people ? (c.people ? c.people->trace.size() : 0) : c.structure.trace.size();
        if (c.channel.rate > 0)
            longest = std::max(longest, static_cast<double>(n) / c.channel.rate);
    }
    if (longest > 0)
        axis.duration = longest;
    if (!event.components.empty()) {
        axis.startMicros = event.components.front().channel.startMicros;
        axis.startSeconds = event.components.front().channel.startSeconds;
    }
    return axis;
}

void setTimeMarks(AxisFrame &frame, const TimeAxis &axis, const FontUnits &font, std::string_view sep)
{
    const double width = frame.plot.right - frame.plot.left;
    const std::vector<Tick> ticks = timeTicks(0, axis.duration, axis.startMicros,
                                              ticksThatFit(width, font, axis.labelChars()), sep,
                                              axis.startSeconds);
    frame.x = axisMarks(ticks, xMap(0, axis.duration, frame.plot));
    frame.xTitle = axis.startMicros ? "UTC" : "s";
}

// The trace over the part of the plot its duration takes.
TraceShape traceIn(const std::vector<float> &trace, double rate, const TimeAxis &axis, const PlotRect &plot,
                   double columnsPerUnit, const LinearMap &y, double thickness)
{
    if (trace.empty() || !(rate > 0))
        return {};
    const double share = static_cast<double>(trace.size()) / rate / axis.duration;
    return traceShape(trace, plot.left, (plot.right - plot.left) * share, columnsPerUnit, y, thickness);
}

PlotLabel peakLabel(const EventComponent &c, const TimeAxis &axis, const AxisFrame &frame, const LinearMap &y,
                    const FontUnits &font, std::string_view sep)
{
    const StructureResult &r = c.structure;
    const auto index = static_cast<std::size_t>(std::max<int64_t>(r.ppvIndex, 0));
    const double value = index < r.trace.size() ? r.trace[index] : r.ppv;
    const double seconds = c.channel.rate > 0 ? static_cast<double>(index) / c.channel.rate : 0;
    const PlotPoint mark{static_cast<float>(xMap(0, axis.duration, frame.plot)(seconds)),
                         static_cast<float>(y(value))};
    return labelBeside(mark, frame.plot, font, fixedText(r.ppv, 2, sep) + " mm/s");
}

void markVectorSum(WaveStrips &out, const AssessEvent &event, const TimeAxis &axis, const PlotRect &area,
                   const FontUnits &font, std::string_view sep)
{
    const double rate = event.components.front().channel.rate;
    const PlotRect &first = out.strips.front().frame.plot;
    const auto x = static_cast<float>(
        xMap(0, axis.duration, first)(rate > 0 ? static_cast<double>(event.vectorSum->index) / rate : 0));
    out.vectorSumLine = PlotSegment{x, static_cast<float>(first.top), x,
                                    static_cast<float>(out.strips.back().frame.plot.bottom)};
    PlotLabel label = labelBeside({x, static_cast<float>(first.top)}, first, font,
                                  "PVS " + fixedText(event.vectorSum->pvs, 2, sep) + " mm/s");
    label.text.y = static_cast<float>(area.top + 0.5 * font.line);
    out.vectorSumLabel = label;
}

// A_u, and A_o when shown, right to left: A_o's label at the right end,
// A_u's left of it where the two lines lie within a line of each other.
std::vector<LevelLine> levelLines(const GuideValues &guide, bool aoShown, const PlotRect &plot, const LinearMap &y,
                                  const FontUnits &font, std::string_view sep)
{
    std::vector<std::pair<std::string, double>> levels{{"A_u ", guide.au}};
    if (aoShown)
        levels.emplace_back("A_o ", guide.ao);
    std::vector<LevelLine> lines;
    double labelEnd = plot.right - font.digit, lastAt = -1e9;
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        const auto at = static_cast<float>(y(level->second));
        const std::string label = level->first + fixedText(level->second, 3, sep);
        if (std::abs(at - lastAt) >= font.line)
            labelEnd = plot.right - font.digit;
        const PlotPoint end{static_cast<float>(plot.right), at};
        lines.insert(lines.begin(),
                     {{static_cast<float>(plot.left), at, end.x, at},
                      {end, {static_cast<float>(labelEnd), static_cast<float>(at - 0.6 * font.line)}, true, label}});
        labelEnd -= (static_cast<double>(label.size()) + 2) * font.digit;
        lastAt = at;
    }
    return lines;
}

} // namespace

PictureLayout pictureLayout(const PlotRect &area, const FontUnits &font)
{
    const double margin = 0.5 * font.line;
    PictureLayout layout;
    const double left = area.left + margin, right = area.right - margin;
    layout.title = {left, area.top + margin, right, area.top + margin + 1.2 * font.line};
    layout.verdict = {left, layout.title.bottom, right, layout.title.bottom + 2 * font.line};
    layout.note = {left, area.bottom - margin - 1.2 * font.line, right, area.bottom - margin};
    const double top = layout.verdict.bottom + margin, bottom = layout.note.top - margin;
    const double split = top + 0.55 * std::max(0.0, bottom - top);
    layout.strips = {left, top, right, split};
    layout.lower = {left, split + margin, right, std::max(split + margin, bottom)};
    return layout;
}

WaveStrips waveStrips(const AssessEvent &event, const PlotRect &area, const FontUnits &font,
                      double columnsPerUnit, std::string_view separator)
{
    WaveStrips out;
    const std::size_t n = event.components.size();
    if (n == 0)
        return out;
    const TimeAxis axis = timeAxis(event, false);
    const bool vectorSum = event.vectorSum && n > 1;
    const double top = area.top + (vectorSum ? font.line : 0);
    const double labels = (axis.labelLines() + 0.4) * font.line;
    const double each = std::max(1.0, (area.bottom - top - labels) / static_cast<double>(n));
    double peak = 0;
    for (const EventComponent &c : event.components)
        peak = std::max(peak, c.structure.ppv);
    // Room above the peak; no tick label within half a line of a strip's
    // edge, where it would meet the next strip's.
    const double scale = peak > 0 ? 1.15 * peak : 1;
    const double halfHeight = std::max(font.line, each / 2 - font.line);
    const double step = niceStep(scale, std::max(2, ticksThatFit(halfHeight, font, 0)));
    const double labelled = scale * (1 - 0.5 * font.line / halfHeight);
    for (std::size_t k = 0; k < n; ++k) {
        const EventComponent &c = event.components[k];
        const bool last = k + 1 == n;
        const PlotRect outer{area.left, top + static_cast<double>(k) * each, area.right,
                             top + static_cast<double>(k + 1) * each + (last ? labels : 0)};
        WaveStrip strip{frameIn(outer, font, false, 5, last ? axis.labelLines() : 0), c.channel.channel, {}, {}};
        const LinearMap y = yMap(-scale, scale, strip.frame.plot);
        setTimeMarks(strip.frame, axis, font, separator);
        strip.frame.y = axisMarks(stepTicks(-labelled, labelled, step, separator), y);
        strip.frame.yTitle = "mm/s";
        strip.trace = traceIn(c.structure.trace, c.channel.rate, axis, strip.frame.plot, columnsPerUnit, y,
                              lineUnit(font));
        strip.peak = peakLabel(c, axis, strip.frame, y, font, separator);
        out.strips.push_back(std::move(strip));
    }
    if (vectorSum)
        markVectorSum(out, event, axis, area, font, separator);
    return out;
}

PeopleTraces peopleTraces(const AssessEvent &event, const PlotRect &area, const FontUnits &font,
                          double columnsPerUnit, std::string_view separator)
{
    PeopleTraces out;
    const TimeAxis axis = timeAxis(event, true);
    const PeopleResult *governing = nullptr;
    double largest = 0;
    for (const EventComponent &c : event.components)
        if (c.people && (!governing || c.people->kbFmax > largest)) {
            governing = &*c.people;
            largest = c.people->kbFmax;
        }
    const GuideValues guide = governing ? governing->guide : guideValues(event.peopleOptions.area,
                                                                          event.peopleOptions.period);
    // A_o is shown where it does not squeeze the traces into the bottom.
    const double base = std::max(largest, guide.au);
    const bool aoShown = guide.ao <= 2 * base;
    out.frame = frameIn(area, font, true, 5, axis.labelLines());
    const PlotRect &plot = out.frame.plot;
    const int ticks = ticksThatFit(plot.bottom - plot.top, font, 0);
    const double scale = niceCeiling(1.15 * (aoShown ? std::max(base, guide.ao) : base), ticks);
    const LinearMap y = yMap(0, scale, plot);
    setTimeMarks(out.frame, axis, font, separator);
    out.frame.y = axisMarks(valueTicks(0, scale, ticks, separator), y);
    out.frame.yTitle = "KB_F";
    const auto kb = [&](double value) { return fixedText(value, 3, separator); };
    out.frame.caption = "A_r " + kb(guide.ar);
    if (governing && governing->kbFTr)
        out.frame.caption += ", KB_FTr " + kb(*governing->kbFTr);
    if (!aoShown)
        out.frame.caption += ", A_o " + kb(guide.ao) + " above the scale";
    for (const EventComponent &c : event.components) {
        if (!c.people)
            continue;
        out.traces.push_back(traceIn(c.people->trace, c.channel.rate, axis, plot, columnsPerUnit, y,
                                     1.2 * lineUnit(font)));
        out.names.push_back(c.channel.channel);
    }
    out.levels = levelLines(guide, aoShown, plot, y, font, separator);
    return out;
}
