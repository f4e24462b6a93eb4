#pragma once

#include "session/geometry.h"

#include <cstdint>
#include <vector>

// Only every step-th sample is drawn: count / 200000 rounded half to even,
// at least 1.
int decimationStep(int32_t count);

// Vertices of the drawn polylines are samples 1, 1 + step, 1 + 2 step, ...
// up to count; consecutive vertices give one segment each. Fewer than two
// vertices (count <= step) give an empty list.
int plotVertexCount(int32_t count, int step);

// Sample index of vertex v.
inline int64_t plotVertexSample(int64_t vertex, int step) { return 1 + vertex * step; }

// Waveform view (width w, height h, y downwards): sample k at
// x = k / count * w, y = (0.5 - samples[k] * 0.5 / peak) * h, so +peak
// touches the top edge. With peak 0 every vertex lies on the zero line h / 2.
std::vector<PlotPoint> wavePolyline(const std::vector<float> &samples, int32_t count,
                                    float peak, double width, double height);

// Level view: 110 dB at the top edge, 0 dB at the bottom. Levels far outside
// (minus infinity where the record is silent) are held two view heights away,
// so they fall outside the view without overflowing the coordinates.
std::vector<PlotPoint> levelPolyline(const std::vector<float> &slowLevel, int32_t count,
                                     double width, double height);

// The green 71 dB line across the level view.
PlotSegment thresholdLine(double width, double height);

// The fraction of the plot drawn while vertex sample i of count is: i / count.
double plotFraction(int64_t sample, int32_t count);
