#pragma once

#include "session/geometry.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int cursorFirstBin = 0;
inline constexpr int cursorLastBin = 1023;

// Cursor position from an x in the spectrum view: rounded half to even,
// clamped to 0..1023.
int16_t cursorBinAtX(double x);

// Clamps a scroll value into 0..1023.
int16_t clampCursorBin(int value);

// The cursor in the spectrum view's coordinates: the vertical line (b, 0) to
// (b, 1) and, when peak is non-zero and finite, the tick from
// (b - 15, value / peak) to (b + 15, value / peak).
std::vector<PlotSegment> cursorSegments(int16_t bin, float value, float peak);

// Read-outs: the line's frequency in Hz (bin / 2048, then times the rate)
// and its value in um/s, both "###0.##".
std::string cursorFrequencyText(int16_t bin, int32_t sampleRate, std::string_view separator);
std::string cursorValueText(float value, std::string_view separator);
