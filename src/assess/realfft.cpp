#include "assess/realfft.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace {

// Complex products written out: the library's operator* also guards
// against infinities, which costs a call per product.
struct Point {
    double re, im;
};

Point times(Point a, Point b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

// e^(-2 pi i k / n) for k = 0..n/2-1, each from its own angle.
std::vector<Point> twiddles(std::size_t n)
{
    const double pi = 4 * std::atan(1.0);
    std::vector<Point> w(n / 2);
    for (std::size_t k = 0; k < w.size(); ++k) {
        const double angle = -2 * pi * static_cast<double>(k) / static_cast<double>(n);
        w[k] = {std::cos(angle), std::sin(angle)};
    }
    return w;
}

void bitReverse(std::vector<Point> &z)
{
    const std::size_t m = z.size();
    for (std::size_t i = 1, j = 0; i < m; ++i) {
        std::size_t bit = m >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j)
            std::swap(z[i], z[j]);
    }
}

// In-place transform of z (m points, m = n/2); w holds the twiddles of n,
// so a stage of length len steps through them n/len apart.
void complexTransform(std::vector<Point> &z, const std::vector<Point> &w)
{
    const std::size_t m = z.size(), n = 2 * m;
    bitReverse(z);
    for (std::size_t len = 2; len <= m; len *= 2) {
        const std::size_t half = len / 2, stride = n / len;
        for (std::size_t start = 0; start < m; start += len)
            for (std::size_t j = 0; j < half; ++j) {
                const Point u = z[start + j];
                const Point v = times(z[start + j + half], w[j * stride]);
                z[start + j] = {u.re + v.re, u.im + v.im};
                z[start + j + half] = {u.re - v.re, u.im - v.im};
            }
    }
}

} // namespace

std::vector<double> powerSpectrum(std::vector<double> &x)
{
    const std::size_t n = x.size(), m = n / 2;
    std::vector<Point> z(m);
    for (std::size_t t = 0; t < m; ++t)
        z[t] = {x[2 * t], x[2 * t + 1]};
    x = {};
    const std::vector<Point> w = twiddles(n);
    complexTransform(z, w);

    // Z(k) holds the even points' transform E(k) plus i times the odd
    // points' O(k); X(k) = E(k) + w^k O(k).
    std::vector<double> power(m + 1);
    for (std::size_t k = 0; k <= m; ++k) {
        const Point a = z[k % m], b = z[(m - k) % m];
        const Point even{(a.re + b.re) / 2, (a.im - b.im) / 2};
        const Point odd{(a.im + b.im) / 2, (b.re - a.re) / 2};
        const Point turned = k < m ? times(odd, w[k]) : Point{-odd.re, -odd.im};
        const double re = even.re + turned.re, im = even.im + turned.im;
        power[k] = re * re + im * im;
    }
    return power;
}
