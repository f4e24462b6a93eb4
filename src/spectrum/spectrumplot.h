#pragma once

#include "session/geometry.h"

#include <array>
#include <vector>

// The spectrum view's scale: x from 0 (left) to 1024 (right), y from 0
// (bottom) to 1 (top).
inline constexpr double spectrumViewWidth = 1024;
inline constexpr double spectrumViewHeight = 1;

// One vertical line per spectral line k, from (k, 0) to (k, value / peak).
// Nothing when peak is 0 or not finite (an all-zero spectrum leaves the view
// empty).
std::vector<PlotSegment> spectrumSegments(const std::array<float, 1024> &spectrum, float peak);
