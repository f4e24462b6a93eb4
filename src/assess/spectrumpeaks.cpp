#include "assess/spectrumpeaks.h"

#include "assess/realfft.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace {

std::vector<double> windowedAndPadded(std::span<const double> values)
{
    const double pi = 4 * std::atan(1.0);
    std::size_t n = 2;
    while (n < values.size())
        n *= 2;
    std::vector<double> padded(n, 0.0);
    const auto length = static_cast<double>(values.size());
    for (std::size_t t = 0; t < values.size(); ++t)
        padded[t] = values[t] * (0.5 - 0.5 * std::cos(2 * pi * static_cast<double>(t) / length));
    return padded;
}

bool standsAbove(const std::vector<double> &power, std::size_t k)
{
    return power[k] > power[k - 1] && (k + 1 == power.size() || power[k] >= power[k + 1]);
}

// A finite wave's spectrum has side lobes beside its line; a second
// frequency lies at least a third of an octave from the first.
bool apart(std::size_t k, std::size_t best)
{
    const double ratio = static_cast<double>(k) / static_cast<double>(best);
    return ratio >= std::cbrt(2.0) || ratio <= 1 / std::cbrt(2.0);
}

} // namespace

SpectrumPeaks spectrumPeaks(std::span<const double> values, double rate)
{
    std::vector<double> padded = windowedAndPadded(values);
    const double lineHz = rate / static_cast<double>(padded.size());
    const std::vector<double> power = powerSpectrum(padded);
    const auto first = static_cast<std::size_t>(std::ceil(1.0 / lineHz));
    const double top = std::min(100.0, rate / 2);
    const std::size_t last =
        std::min(power.size() - 1, static_cast<std::size_t>(std::floor(top / lineHz)));

    const std::size_t from = std::max<std::size_t>(first, 1);
    SpectrumPeaks peaks;
    if (from > last)
        return peaks;
    std::size_t best = from;
    for (std::size_t k = from + 1; k <= last; ++k)
        if (power[k] > power[best])
            best = k;
    if (power[best] == 0)
        return peaks;
    peaks.largest = static_cast<double>(best) * lineHz;
    std::optional<std::size_t> second;
    for (std::size_t k = from; k <= last; ++k)
        if (apart(k, best) && standsAbove(power, k) && (!second || power[k] > power[*second]))
            second = k;
    if (second)
        peaks.second = static_cast<double>(*second) * lineHz;
    return peaks;
}
