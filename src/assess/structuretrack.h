#pragma once

#include "assess/bandfilter.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// A zero crossing between samples index - 1 and index, of the values
// before and after; index -1: none.
struct Crossing {
    int64_t index = -1;
    double before = 0, after = 0;
    // Where the straight line between the two samples meets 0.
    double position() const;
};

// Follows one component's band-limited velocity (mm/s) block by block, in
// one pass: its peak, the zero crossings around the peak, and where the
// spectrum's span lies. That span is the whole record when it is 10 s or
// shorter, else the 10 s centred on the peak, moved inside the record near
// its ends. The filter's state is kept at the start of the last few blocks,
// so that the span can be filtered again on its own afterwards, giving the
// very values of the pass, without keeping the record's values.
class StructureTrack {
public:
    // For `count` samples at `rate` per second, filtered by a copy of `band`
    // in its starting state. keepTrace: keep every value, as float.
    StructureTrack(const BandFilter &band, int64_t count, double rate, bool keepTrace);

    // Values y[0..n-1] of samples start..start+n-1, then the filter's state
    // before sample start + n.
    void scan(const double *y, std::size_t n, int64_t start, const BandFilter &next);

    double peak() const { return peak_; }              // largest |value|, mm/s
    int64_t peakIndex() const { return peakIndex_; }   // its first sample
    // rate / (2 (after - before)) from the crossings around the peak, each
    // placed linearly between the two samples of opposite sign (0 counts
    // as negative); none without a crossing on both sides.
    std::optional<double> zeroCrossingFrequency(double rate) const;
    // The spectrum span's values, filtered again from `samples` (the pass's
    // input, in m/s) about `mean`.
    std::vector<double> spectrumSpan(std::span<const float> samples, double mean) const;
    std::vector<float> takeTrace() { return std::move(trace_); }

private:
    struct Block;
    void newPeak(const Block &block, std::size_t top);

    int64_t count_, spanLength_;
    std::vector<BandFilter> checkpoints_;   // state at the start of block b, at [b % size]
    BandFilter spanState_;                  // state before sample spanFrom_
    int64_t spanFrom_ = 0, spanStart_ = 0;
    double previous_ = 0;                   // the last value scanned
    double peak_ = -1;
    int64_t peakIndex_ = 0;
    Crossing lastCrossing_, before_, after_;  // the last one, and those around the peak
    bool awaitingAfter_ = false;
    std::vector<float> trace_;
};
