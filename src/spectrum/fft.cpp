#include "spectrum/fft.h"

#include <cmath>
#include <utility>

void fft(FftPoint *work, int32_t n)
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
