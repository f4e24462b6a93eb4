#pragma once

#include <optional>
#include <span>

// Frequencies in Hz of the Hann-windowed (0.5 - 0.5 cos(2 pi t / L), L
// values) spectrum of `values`, zero-padded to the next power of two, at
// `rate` samples per second. Only lines from 1 Hz to min(100 Hz, rate / 2)
// count. largest: the largest line; second: the largest line standing above
// both neighbours at least a third of an octave from it (nearer, the side
// lobes of a finite wave would stand there). None where no line counts or
// every counted line is 0.
struct SpectrumPeaks {
    std::optional<double> largest, second;
};
SpectrumPeaks spectrumPeaks(std::span<const double> values, double rate);
