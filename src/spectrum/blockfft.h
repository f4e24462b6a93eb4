#pragma once

#include "spectrum/fft.h"

#include <cstdint>
#include <vector>

// The transform the spectrum takes of each block: points t = 0..n-1 hold
// x[t] * window[t] (a 32-bit product) with imaginary parts 0, transformed
// exactly as `fft` transforms them, every stored value the same float. Only
// points 0..n/2-1 come out: a real block's upper half mirrors the lower.
class BlockFft {
public:
    // n a power of two; window holds n values.
    BlockFft(int32_t n, const std::vector<float> &window);

    int32_t size() const { return plan_.size(); }

    // x[0..inside-1] are the block's samples, the rest count as 0. Writes
    // the real and imaginary parts of points 0..n/2-1 to re and im.
    void transform(const float *x, int32_t inside, float *re, float *im);

private:
    FftPlan plan_;
    std::vector<float> window_;
    std::vector<int32_t> from_;            // the input point placed at k
    std::vector<float> re_, im_;           // all n points while they are worked on
};

// Adds the power of lines 0..count-1 to their sums: with a = re[k] * scale
// and d = im[k] * scale in double, sums[k] = (sums[k] + a a) + d d, stored
// as float.
void addLinePowers(float *sums, const float *re, const float *im, int32_t count, double scale);
