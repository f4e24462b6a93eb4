#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The straightforward spectrum the program's optimised one must equal bit for
// bit: the transform and the block loop as first written, in the same loop
// order, with the same twiddle recurrence and the same rounding, and nothing
// else (no progress). Kept apart from the program's code so that it stays
// fixed while that code gets faster; the benchmarks time it as a yardstick
// and a test compares the two byte for byte.

// Its own types and constants, so that nothing the program changes can
// change it.
namespace reference {
inline constexpr int blockLength = 2048;
inline constexpr int hop = 512;
inline constexpr int lines = 1024;
using Point = std::array<float, 2>;   // [0] real, [1] imaginary part
} // namespace reference

struct ReferenceSpectrum {
    std::array<float, reference::lines> lines{};   // amplitude of line k, m/s
    float peak = 0;                                // largest line
    int peakLine = 0;                              // lowest k holding it
    int blockCount = 0;
};

// In-place radix-2 forward transform of points 0..n-1, unscaled, natural
// order, n a power of two from 1 to 16384; the same contract as fft().
void referenceFft(reference::Point *work, int32_t n);

// The same contract as segmentSpectrum(), without the progress: Hann-windowed
// 2048-sample blocks from `start`, advancing by 512 while a further block
// ends at or before `end`, at least one; zeros past the last entry; ends
// swapped when reversed.
ReferenceSpectrum referenceSegmentSpectrum(const std::vector<float> &samples, int32_t start,
                                           int32_t end);
