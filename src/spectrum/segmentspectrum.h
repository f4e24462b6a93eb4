#pragma once

#include "session/progress.h"
#include "session/threads.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
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

// Progress after each block: the fraction of the segment's length the
// blocks have advanced over, 0 to 1.
using SpectrumProgress = Progress;

// Averaged spectrum of samples[start..end]: Hann-windowed 2048-sample blocks
// from `start`, advancing by 512 while a further block ends at or before
// `end`, at least one block. A block reaching past the last entry of
// `samples` takes 0 there. Ends given the wrong way round are swapped. With
// more than one thread, a helper transforms every other batch of blocks; the
// lines are the same bits either way.
SegmentSpectrum segmentSpectrum(std::span<const float> samples, int32_t start, int32_t end,
                                const SpectrumProgress &progress = {},
                                const ThreadPolicy &threads = defaultThreads());

namespace spectrumdetail {
class BlockTransform;
}

// The same spectrum, its blocks added in order one at a time, so that they
// can be taken while the samples are still being made: the next block reads
// the entries before nextBlockReads(). segmentSpectrum is
// SpectrumSum(samples, start, end).finish(progress, threads).
class SpectrumSum {
public:
    SpectrumSum(std::span<const float> samples, int32_t start, int32_t end);
    ~SpectrumSum();

    int64_t blockCount() const { return blocks_; }
    int64_t blocksAdded() const { return added_; }
    int64_t nextBlockReads() const;

    // Transforms and adds the next block; blocksAdded() < blockCount().
    void addNextBlock();

    // Adds the blocks left, `progress` after each, with a helper where the
    // policy allows, and returns the spectrum.
    SegmentSpectrum finish(const SpectrumProgress &progress = {},
                           const ThreadPolicy &threads = defaultThreads());

private:
    void add(const float *re, const float *im, const SpectrumProgress &progress);

    std::span<const float> samples_;
    int64_t start_, length_, blocks_;
    int64_t added_ = 0;
    std::array<float, spectrumLines> sums_{};
    std::unique_ptr<spectrumdetail::BlockTransform> transform_;
};

// Number of blocks for a segment of end - start = length samples.
int spectrumBlockCount(int64_t length);

// Frequency of line k in Hz: k * sampleRate / 2048.
double lineFrequency(int line, int32_t sampleRate);
