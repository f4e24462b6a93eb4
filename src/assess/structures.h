#pragma once

// DIN 4150-3, vibration of structures: the peak of the band-limited velocity
// of each component against the guideline value at its dominant frequency,
// and the peak vector sum of a set of three components.
//
// Samples are velocity in m/s, one float per sample, at `rate` samples per
// second; the record's 64-bit mean is removed first, so that a recorder's
// offset does not become a step into the high-pass. Indices count from the
// first sample given; times are index / rate in seconds. All arithmetic is
// 64-bit. Throws AssessError for no samples, values that are not finite, or
// a rate of 2 samples/s or less.

#include "assess/guidelines.h"
#include "assess/options.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct StructureOptions {
    Building building = Building::Dwelling;
    Place place = Place::Foundation;
    FrequencyMethod method = FrequencyMethod::Stricter;
    bool keepTrace = false;   // keep the band-limited velocity of every sample
};

struct StructureResult {
    double ppv = 0;            // mm/s, largest |band-limited velocity|
    int64_t ppvIndex = 0;      // its first sample
    double ppvTime = 0;        // s
    // Hz. Zero crossings: the two around the peak, interpolated between
    // samples. Spectrum: the largest line of the Hann-windowed spectrum of
    // the whole record when it is 10 s or shorter, else of the 10 s centred
    // on the peak, lines from 1 Hz to min(100 Hz, rate / 2); and the
    // largest line standing above its neighbours at least a third of an
    // octave from it. None where not found.
    std::optional<double> frequencyZeroCrossing, frequencySpectrum, frequencySpectrumSecond;
    std::optional<double> frequencyUsed;
    // The method frequencyUsed comes from: ZeroCrossing or Spectrum, never
    // Stricter (which takes the one with the lower guideline value, zero
    // crossings on a tie or where neither gives one).
    FrequencyMethod frequencyMethod = FrequencyMethod::ZeroCrossing;
    std::optional<double> limit;   // guideline value, mm/s; none where none applies
    std::optional<double> ratio;   // ppv / limit
    Verdict verdict = Verdict::NoGuideline;
    bool bandToHalfRate = false;     // the 100 Hz low-pass was left out: "band to rate/2"
    std::vector<std::string> notes;  // why there is no guideline, the band, in plain words
    std::vector<float> trace;        // mm/s per sample, when keepTrace
};

// One component measuring along `axis` (from axisOfChannel); the place
// judges it or gives "no guideline" with a note.
StructureResult assessStructure(std::span<const float> samples, double rate, Axis axis,
                                const StructureOptions &options = {});

struct StructureSetResult {
    std::array<StructureResult, 3> components;   // in the order given
    double pvs = 0;            // mm/s, largest sqrt(x^2 + y^2 + z^2) of one sample
    int64_t pvsIndex = 0;
    double pvsTime = 0;        // s
    // The component with the largest ratio, whose verdict is the set's;
    // none when no component has a guideline value.
    std::optional<int> governing;
    Verdict verdict = Verdict::NoGuideline;
};

// The three components of a set over their common span (spans of equal
// length): the vertical one first, then the two horizontal ones, as
// groupComponents orders them. Each is assessed as assessStructure would.
StructureSetResult assessStructureSet(const std::array<std::span<const float>, 3> &samples, double rate,
                                      const StructureOptions &options = {});
