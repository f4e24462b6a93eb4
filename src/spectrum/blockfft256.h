#pragma once

#include "spectrum/fft.h"

#include <cstdint>

// The block transform in 256-bit registers, for processors without 512-bit
// ones: each lane does what the plain code does for its point, operation for
// operation in double precision with each stored value rounded to float, so
// the values are the same bits (the build never fuses a multiply and an add).

// True where the processor has them.
bool hasBlockTransform256();

// The whole block, its samples all inside; n at least 256. x[t] * window[t]
// is placed at the point from[t] names; re and im hold n floats of work
// space; points 0..n/2-1 of the transform go to outRe and outIm.
void blockTransform256(const FftPlan &plan, const float *x, const int32_t *from, const float *window,
                       float *re, float *im, float *outRe, float *outIm);
