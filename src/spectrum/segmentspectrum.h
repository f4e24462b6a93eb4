#pragma once

#include "session/threads.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

inline constexpr int spectrumBlockLength = 2048;
inline constexpr int spectrumHop = 512;
inline constexpr int spectrumLines = 1024;

struct SegmentSpectrum {
    std::array<float, spectrumLines> lines{};  // amplitude of line k, m/s
    float peak = 0;                            // largest line, 0 when all are 0
    int peakLine = 0;                          // lowest k holding the peak
    int blockCount = 0;
};

// Progress after each block, 0..100.
using SpectrumProgress = std::function<void(float percent)>;

// Averaged spectrum of samples[start..end]: Hann-windowed 2048-sample blocks
// from `start`, advancing by 512 while a further block ends at or before
// `end`, at least one block. A block reaching past the last entry of
// `samples` takes 0 there. Ends given the wrong way round are swapped. With
// more than one thread, a helper transforms every other batch of blocks; the
// lines are the same bits either way.
SegmentSpectrum segmentSpectrum(const std::vector<float> &samples, int32_t start, int32_t end,
                                const SpectrumProgress &progress = {},
                                const ThreadPolicy &threads = defaultThreads());

// Number of blocks for a segment of end - start = length samples.
int spectrumBlockCount(int64_t length);

// Frequency of line k in Hz: k * sampleRate / 2048.
double lineFrequency(int line, int32_t sampleRate);
