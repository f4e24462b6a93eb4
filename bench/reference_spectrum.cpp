#include "reference_spectrum.h"

#include <algorithm>
#include <cmath>
#include <utility>

using namespace reference;

void referenceFft(Point *work, int32_t n)
{
    if (n < 2)
        return;
    const double pi = 3.14159265;
    const int nm1 = n - 1;
    const int nd2 = n / 2;
    const int stages = static_cast<int>(std::nearbyint(std::log(n) / std::log(2)));

    // Bit-reversal permutation with a running reversed counter.
    int j = nd2;
    for (int i = 1; i <= n - 2; ++i) {
        if (i < j)
            std::swap(work[i], work[j]);
        int k = nd2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }

    // Stage, then twiddle index, then the butterflies sharing that twiddle:
    // this order fixes the rounding of the result.
    for (int l = 1; l <= stages; ++l) {
        const int le = static_cast<int>(std::nearbyint(std::pow(2.0, l)));
        const int le2 = le / 2;
        double ur = 1, ui = 0;
        const double sr = std::cos(pi / le2);
        const double si = -std::sin(pi / le2);
        for (int jj = 1; jj <= le2; ++jj) {
            for (int i = jj - 1; i <= nm1; i += le) {
                float *a = work[i].data();
                float *b = work[i + le2].data();
                const double tr = b[0] * ur - b[1] * ui;
                const double ti = b[0] * ui + b[1] * ur;
                b[0] = static_cast<float>(a[0] - tr);
                b[1] = static_cast<float>(a[1] - ti);
                a[0] = static_cast<float>(a[0] + tr);
                a[1] = static_cast<float>(a[1] + ti);
            }
            const double old = ur;
            ur = old * sr - ui * si;
            ui = old * si + ui * sr;
        }
    }
}

namespace {

// Periodic Hann window over one block.
std::array<float, blockLength> referenceHann()
{
    std::array<float, blockLength> w;
    const double step = 2 * 3.14159265 / blockLength;
    for (int t = 0; t < blockLength; ++t)
        w[t] = static_cast<float>((1 - std::cos(t * step)) * 0.5);
    return w;
}

} // namespace

ReferenceSpectrum referenceSegmentSpectrum(const std::vector<float> &samples, int32_t start,
                                           int32_t end)
{
    if (end < start)
        std::swap(start, end);
    static const std::array<float, blockLength> window = referenceHann();
    // Amplitude of a full-scale cosine line: 0.5 / 0.426 / 1024 per unit.
    const double c = 0.5 / 0.426 / 1024;
    const int64_t available = static_cast<int64_t>(samples.size());

    ReferenceSpectrum result;
    std::vector<Point> work(blockLength + 1);
    std::array<float, lines> &sums = result.lines;
    int64_t b = start;
    for (;;) {
        // Samples past the record's last entry count as 0.
        const int64_t inside = std::clamp<int64_t>(available - b, 0, blockLength);
        for (int t = 0; t < inside; ++t)
            work[t] = {samples[b + t] * window[t], 0.0f};
        for (int t = static_cast<int>(inside); t < blockLength; ++t)
            work[t] = {0.0f, 0.0f};
        referenceFft(work.data(), blockLength);
        for (int k = 0; k < lines; ++k) {
            const double a = work[k][0] * c;
            const double d = work[k][1] * c;
            sums[k] = static_cast<float>((sums[k] + a * a) + d * d);
        }
        ++result.blockCount;
        b += hop;
        if (b + blockLength > end)
            break;
    }

    for (int k = 0; k < lines; ++k) {
        sums[k] = static_cast<float>(std::sqrt(static_cast<double>(sums[k]) / result.blockCount));
        if (sums[k] > result.peak) {
            result.peak = sums[k];
            result.peakLine = k;
        }
    }
    return result;
}
