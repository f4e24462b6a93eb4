#pragma once

// Coordinates handed to the drawing calls, in the view's own units.
struct PlotPoint {
    float x = 0, y = 0;
};

struct PlotSegment {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct PlotRect {
    double left = 0, top = 0, right = 0, bottom = 0;
};
