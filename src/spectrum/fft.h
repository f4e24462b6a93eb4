#pragma once

#include <array>
#include <cstdint>

// One complex point: [0] real part, [1] imaginary part.
using FftPoint = std::array<float, 2>;

// In-place radix-2 decimation-in-time forward transform of points 0..n-1,
// X(k) = sum x(t) e^(-2 pi i k t / n), unscaled, in natural order. n is a
// power of two from 1 to 16384; points from n on are not touched. The
// twiddle factor advances by complex multiplication in double precision from
// pi = 3.14159265, and each value stored is rounded to 32-bit float.
void fft(FftPoint *work, int32_t n);
