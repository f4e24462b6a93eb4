#pragma once

#include "session/geometry.h"

#include <cstdint>

// Sample index under a mouse x position in the waveform view:
// x / width * count rounded half to even (clamped to the 32-bit range).
int32_t sampleAtX(double x, double width, int32_t count);

// x of sample k: k / count * width.
double xOfSample(int64_t sample, int32_t count, double width);

// Integer position of the band's moving edge: x rounded half to even.
int32_t roundToInt32(double x);

// The segment band, a box from x = startX to x = endX over the view's
// whole height; normalised so left <= right.
PlotRect bandRect(double startX, double endX, double height);

// A segment as the window keeps it: start and end in 1..count, start <= end;
// equal ends mean the whole record (0..count, no segment).
struct SegmentBounds {
    int32_t start = 0;
    int32_t end = 0;
    bool hasSegment = false;
};

// The segment a release makes: the press sample raised to at least 1, the
// release sample held in 1..count, the two swapped when the release lies
// left of the press; equal ends select the whole record.
SegmentBounds selectSegment(int32_t pressSample, int32_t releaseSample, int32_t count);

// A kept segment after a record of `count` samples was loaded: the end
// lowered to count, then the start to 1 when it lies beyond count; ends that
// meet on one sample leave no segment (0..count).
SegmentBounds keepSegment(int32_t start, int32_t end, int32_t count);
