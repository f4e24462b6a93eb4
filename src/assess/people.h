#pragma once

// DIN 4150-2, vibration felt by people in buildings: the KB weighting of
// the band-limited velocity, its running RMS KB_F with the time constant
// 0.125 s, the largest KB_F of each 30 s cycle and the rated level over an
// assessment period, against the guide values of an area.
//
// Samples are velocity in m/s at `rate` samples per second, the record's
// 64-bit mean removed first; indices count from the first sample given,
// times are index / rate in seconds. Throws AssessError for no samples,
// values that are not finite, or a rate of 11.2 samples/s or less.

#include "assess/guidelines.h"
#include "assess/options.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct PeopleOptions {
    Area area = Area::Residential;
    Period period = Period::Day;
    std::optional<double> exposureHours;   // T_e; none: the record's duration
    bool keepTrace = false;                // keep KB_F of every sample
};

struct PeopleResult {
    double kbFmax = 0;             // largest KB_F
    int64_t kbFmaxIndex = 0;       // its first sample
    double kbFmaxTime = 0;         // s
    std::vector<double> cycles;    // KB_FTi of each whole 30 s cycle from the first sample
    // sqrt(mean KB_FTi^2), a KB_FTi <= 0.1 counting as 0; and
    // KB_FTr = sqrt(T_e / T_r) KB_FTm, T_r 16 h by day, 8 h by night.
    // None without a whole cycle.
    std::optional<double> kbFTm, kbFTr;
    double exposureHours = 0;      // T_e used, at most T_r
    GuideValues guide;             // A_u, A_o, A_r
    // met: KB_Fmax <= A_u, or KB_FTr <= A_r; exceeded: KB_Fmax > A_o, or
    // KB_FTr > A_r; undetermined: between A_u and A_o with no whole cycle.
    Verdict verdict = Verdict::Undetermined;
    bool bandToHalfRate = false;   // the 100 Hz low-pass was left out
    std::vector<std::string> warnings;   // the rate, a short record, T_e cut to T_r
    std::vector<float> trace;      // KB_F per sample, when keepTrace
};

PeopleResult assessPeople(std::span<const float> samples, double rate, const PeopleOptions &options = {});

struct PeopleSetResult {
    std::array<PeopleResult, 3> components;   // in the order given
    int governing = 0;             // the largest KB_Fmax, whose verdict is the set's
    Verdict verdict = Verdict::Undetermined;
};

// Three components of one length (a set's common span), in one pass.
PeopleSetResult assessPeopleSet(const std::array<std::span<const float>, 3> &samples, double rate,
                                const PeopleOptions &options = {});
