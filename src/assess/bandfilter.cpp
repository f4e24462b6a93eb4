#include "assess/bandfilter.h"

#include <cmath>

namespace {

const double pi = 4 * std::atan(1.0);
const double sqrt2 = std::sqrt(2.0);

// The bilinear transform's constant for an analogue corner of `corner` Hz
// whose response the digital filter matches exactly at `match` Hz.
double prewarp(double corner, double match, double rate)
{
    return std::tan(pi * match / rate) * (corner / match);
}

// Shared denominator of the two-pole Butterworth sections.
Section butterworthPoles(double k)
{
    const double d = 1 + sqrt2 * k + k * k;
    Section s;
    s.a1 = 2 * (k * k - 1) / d;
    s.a2 = (1 - sqrt2 * k + k * k) / d;
    s.b0 = 1 / d;
    return s;
}

} // namespace

BandFilter designBand(double rate)
{
    BandFilter band;
    band.highPass = butterworthPoles(prewarp(bandHighPassHz, bandHighPassHz, rate));
    band.highPass.b1 = -2 * band.highPass.b0;
    band.highPass.b2 = band.highPass.b0;

    band.lowPassUsed = bandLowPassHz < 0.45 * rate;
    if (band.lowPassUsed) {
        const double k = prewarp(bandLowPassHz, 80, rate);
        band.lowPass = butterworthPoles(k);
        band.lowPass.b0 *= k * k;
        band.lowPass.b1 = 2 * band.lowPass.b0;
        band.lowPass.b2 = band.lowPass.b0;
    }
    return band;
}

FirstOrder designKbStage(double rate)
{
    const double k = prewarp(kbHighPassHz, kbHighPassHz, rate);
    FirstOrder f;
    f.b0 = 1 / (1 + k);
    f.b1 = -f.b0;
    f.a1 = (k - 1) / (1 + k);
    return f;
}
