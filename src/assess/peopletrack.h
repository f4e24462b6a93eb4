#pragma once

#include "assess/bandfilter.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The KB weighting H_B = H_u / (1 - j 5.6 Hz / f) of velocity in mm/s and
// the running mean square of its output with the time constant 0.125 s:
// m = (1 - alpha) m + alpha KB^2, alpha = 1 - exp(-1 / (0.125 s x rate)),
// m from 0, KB_F = sqrt(m). Stepped one sample at a time; gives m.
struct KbChain {
    BandFilter band;
    FirstOrder kb;
    double keep = 0, alpha = 0;
    double m = 0;

    double step(double x)
    {
        const double weighted = kb.step(band.step(x));
        m = keep * m + alpha * (weighted * weighted);
        return m;
    }
};
KbChain designKbChain(double rate);

// Follows one component's running mean square block by block: KB_Fmax and
// where it is, and KB_FTi, the largest KB_F of each whole 30 s cycle from
// the first sample (a last partial cycle is not one).
class PeopleTrack {
public:
    PeopleTrack(int64_t count, double rate, bool keepTrace);

    // Mean squares m[0..n-1] of samples start..start+n-1.
    void scan(const double *m, std::size_t n, int64_t start);

    double kbFmax() const;
    int64_t kbFmaxIndex() const { return maxIndex_; }
    std::vector<double> takeCycles() { return std::move(cycles_); }
    // KB_F of every sample, when kept.
    std::vector<float> takeTrace() { return std::move(trace_); }

private:
    double rate_;
    double largest_ = -1, cycleLargest_ = 0;   // mean squares
    int64_t maxIndex_ = 0;
    int64_t cycleEnd_;                          // first sample after the current cycle
    std::vector<double> cycles_;
    std::vector<float> trace_;
};

// KB_FTm = sqrt(mean of KB_FTi^2) over every cycle, a KB_FTi of 0.1 or less
// entering as 0. No cycles: 0.
double kbFTm(std::span<const double> cycles);
