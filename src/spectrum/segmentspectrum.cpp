#include "spectrum/segmentspectrum.h"

#include "spectrum/fft.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Periodic Hann window over one block.
std::array<float, spectrumBlockLength> hannTable()
{
    std::array<float, spectrumBlockLength> w;
    const double step = 2 * 3.14159265 / spectrumBlockLength;
    for (int t = 0; t < spectrumBlockLength; ++t)
        w[t] = static_cast<float>((1 - std::cos(t * step)) * 0.5);
    return w;
}

} // namespace

int spectrumBlockCount(int64_t length)
{
    if (length < spectrumBlockLength + spectrumHop)
        return 1;
    return static_cast<int>(1 + (length - spectrumBlockLength) / spectrumHop);
}

double lineFrequency(int line, int32_t sampleRate)
{
    return static_cast<double>(line) * sampleRate / spectrumBlockLength;
}

SegmentSpectrum segmentSpectrum(const std::vector<float> &samples, int32_t start, int32_t end,
                                const SpectrumProgress &progress)
{
    if (end < start)
        std::swap(start, end);
    static const std::array<float, spectrumBlockLength> window = hannTable();
    // Amplitude of a full-scale cosine line: the window sums to 1024 and the
    // transform doubles nothing, so 0.5 / 0.426 / 1024 per unit.
    const double c = 0.5 / 0.426 / 1024;
    const int64_t available = static_cast<int64_t>(samples.size());
    const double length = static_cast<double>(end) - start;

    SegmentSpectrum result;
    std::vector<FftPoint> work(spectrumBlockLength + 1);
    std::array<float, spectrumLines> &sums = result.lines;
    int64_t b = start;
    for (;;) {
        // Samples past the record's last entry count as 0.
        const int64_t inside = std::clamp<int64_t>(available - b, 0, spectrumBlockLength);
        for (int t = 0; t < inside; ++t)
            work[t] = {samples[b + t] * window[t], 0.0f};
        for (int t = static_cast<int>(inside); t < spectrumBlockLength; ++t)
            work[t] = {0.0f, 0.0f};
        fft(work.data(), spectrumBlockLength);
        for (int k = 0; k < spectrumLines; ++k) {
            const double a = work[k][0] * c;
            const double d = work[k][1] * c;
            sums[k] = static_cast<float>((sums[k] + a * a) + d * d);
        }
        ++result.blockCount;
        b += spectrumHop;
        if (progress) {
            const double percent = length > 0 ? (b - start) / length * 100 : 100;
            progress(static_cast<float>(std::clamp(percent, 0.0, 100.0)));
        }
        if (b + spectrumBlockLength > end)
            break;
    }

    for (int k = 0; k < spectrumLines; ++k) {
        sums[k] = static_cast<float>(std::sqrt(static_cast<double>(sums[k]) / result.blockCount));
        if (sums[k] > result.peak) {
            result.peak = sums[k];
            result.peakLine = k;
        }
    }
    return result;
}
