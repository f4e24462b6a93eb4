#include "views/plotframe.h"

#include <algorithm>
#include <cmath>

AxisFrame frameIn(const PlotRect &outer, const FontUnits &font, bool caption, int yLabelChars,
                  int xLabelLines)
{
    AxisFrame frame;
    frame.outer = outer;
    frame.xLabels = xLabelLines > 0;
    const double left = outer.left + 1.5 * font.line + (yLabelChars + 1) * font.digit;
    const double top = outer.top + (caption ? 1.5 * font.line : 0.5 * font.line);
    const double bottom = outer.bottom - (xLabelLines > 0 ? (xLabelLines + 0.4) * font.line : 0);
    frame.plot = {left, top, std::max(left + 1, outer.right - 1.5 * font.digit), std::max(top + 1, bottom)};
    return frame;
}

std::vector<AxisMark> axisMarks(const std::vector<Tick> &ticks, const LinearMap &map)
{
    std::vector<AxisMark> marks;
    marks.reserve(ticks.size());
    for (const Tick &tick : ticks)
        marks.push_back({map(tick.value), tick.label, tick.date});
    return marks;
}

int ticksThatFit(double length, const FontUnits &font, int chars)
{
    const double each = chars > 0 ? (chars + 3) * font.digit : 2 * font.line;
    return std::max(1, static_cast<int>(std::floor(length / each)));
}

PlotLabel labelBeside(PlotPoint mark, const PlotRect &plot, const FontUnits &font, std::string text)
{
    PlotLabel label{mark, mark, false, std::move(text)};
    label.textLeft = mark.x > plot.left + 0.75 * (plot.right - plot.left);
    label.text.x = static_cast<float>(mark.x + (label.textLeft ? -font.digit : font.digit));
    const double half = 0.5 * font.line;
    label.text.y = static_cast<float>(std::clamp<double>(mark.y, plot.top + half, std::max(plot.top + half, plot.bottom - half)));
    return label;
}

LinearMap xMap(double low, double high, const PlotRect &plot)
{
    return {low, high, plot.left, plot.right};
}

LinearMap yMap(double low, double high, const PlotRect &plot)
{
    return {low, high, plot.bottom, plot.top};
}
