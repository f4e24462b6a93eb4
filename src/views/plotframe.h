#pragma once

// The frame of one plot of the assessment pictures: where the plot lies,
// its grid lines and labels, in the painter's units. The painter draws it
// as given.

#include "session/geometry.h"
#include "views/plotaxis.h"

#include <string>
#include <vector>

// Sizes of the text a picture is drawn with, in the painter's units.
struct FontUnits {
    double line = 14;    // height of a line
    double digit = 7;    // width of a digit
};

struct AxisMark {
    double at = 0;       // x of a vertical grid line, or y of a horizontal one
    std::string label;   // under the plot (x) or left of it (y)
    std::string date;    // a second line under an x label
};

struct AxisFrame {
    PlotRect outer;              // the whole area the plot was given
    PlotRect plot;               // where the figures are drawn, clipped to it
    std::vector<AxisMark> x, y;  // grid lines, left to right and bottom to top
    bool xLabels = true;         // false: the grid lines only (strips above a shared axis)
    std::string xTitle;          // unit of x, left of the x labels ("Hz", "UTC", "s")
    std::string yTitle;          // unit of y, turned up left of the y labels ("mm/s")
    std::string caption;         // a line above the plot, left-aligned
};

// A label beside a marked point: the text vertically centred on `text`,
// ending there when `textLeft`, else starting there.
struct PlotLabel {
    PlotPoint mark;
    PlotPoint text;
    bool textLeft = false;
    std::string label;
};

// A pixel at a font of 14 pixels a line: lines are drawn so many units
// wide, so that they thicken with the text.
inline double lineUnit(const FontUnits &font) { return font.line / 14; }

// A frame in `outer`: room for a caption line when `caption`, for the y
// title and labels of `yLabelChars` digits on the left, and for
// `xLabelLines` lines of labels below (0 for none).
AxisFrame frameIn(const PlotRect &outer, const FontUnits &font, bool caption, int yLabelChars,
                  int xLabelLines);

// Grid marks of ticks through a map from the axis's values to coordinates.
std::vector<AxisMark> axisMarks(const std::vector<Tick> &ticks, const LinearMap &map);

// How many ticks fit along `length` when each takes `chars` digits (x) or
// a line (y, chars 0), with room between them.
int ticksThatFit(double length, const FontUnits &font, int chars);

// The label of a point marked at `mark` in `plot`: the text a digit's width
// to its right, or to its left in the plot's last quarter, kept a half line
// inside the plot's top and bottom.
PlotLabel labelBeside(PlotPoint mark, const PlotRect &plot, const FontUnits &font, std::string text);

// The map of [low, high] onto the plot's width, or onto its height upwards.
LinearMap xMap(double low, double high, const PlotRect &plot);
LinearMap yMap(double low, double high, const PlotRect &plot);
