#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One complex point: [0] real part, [1] imaginary part.
using FftPoint = std::array<float, 2>;

// In-place radix-2 decimation-in-time forward transform of points 0..n-1,
// X(k) = sum x(t) e^(-2 pi i k t / n), unscaled, in natural order. n is a
// power of two from 1 to 16384; points from n on are not touched. The
// twiddle factor advances by complex multiplication in double precision from
// pi = 3.14159265, and each value stored is rounded to 32-bit float.
void fft(FftPoint *work, int32_t n);

// The same transform prepared once for many blocks of one length: the
// twiddle factors each stage's recurrence passes through and the
// bit-reversed order are computed in the constructor, so every block gives
// exactly the values `fft` gives, with less work.
class FftPlan {
public:
    explicit FftPlan(int32_t n);

    int32_t size() const { return n_; }

    // Where input point t goes before the butterflies.
    int32_t reversed(int32_t t) const { return reversed_[t]; }

    // Transforms points already placed in bit-reversed order, real and
    // imaginary parts in separate arrays of size() floats.
    void transformReordered(float *re, float *im) const;

    // The twiddle factors of the stage whose butterflies join points `half`
    // apart (1, 2, 4, ..., n/2): factor j = 0..half-1 at [j], as the
    // stage's recurrence reaches it.
    const double *twiddleRe(int32_t half) const { return twiddles_.data() + half - 1; }
    const double *twiddleIm(int32_t half) const { return twiddles_.data() + n_ - 1 + half - 1; }

private:
    int32_t n_;
    std::vector<int32_t> reversed_;
    // Real parts, then imaginary parts, n - 1 of each; the stage with
    // half-length h uses entries h-1 .. 2h-2 of each.
    std::vector<double> twiddles_;
};
