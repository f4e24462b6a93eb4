#pragma once

#include <vector>

// The power |X(k)|^2 of the transform X(k) = sum x(t) e^(-2 pi i k t / n) of
// a real sequence x(0..n-1) in 64-bit, for k = 0..n/2 (n/2 + 1 values).
// n = x.size() is a power of two, at least 2. The n/2 even and odd points
// go through one complex transform of half the length, so x is consumed.
std::vector<double> powerSpectrum(std::vector<double> &x);
