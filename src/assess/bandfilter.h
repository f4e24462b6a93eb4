#pragma once

// The assessment's filters, on velocity in mm/s, all in 64-bit:
// the band limitation H_u, a two-pole Butterworth high-pass at 0.8 Hz times
// a two-pole Butterworth low-pass at 100 Hz, and the KB weighting's further
// first-order high-pass at 5.6 Hz. Each is made digital by the bilinear
// transform with its frequency prewarped: the high-passes at their corners,
// the low-pass at 80 Hz, the top of the 1-80 Hz working range, where a
// corner prewarp would read 0.7 % high at 1000 samples/s. Where 100 Hz is at
// least 0.45 times the rate the low-pass is left out: the band reaches to
// half the rate.

inline constexpr double bandHighPassHz = 0.8;
inline constexpr double bandLowPassHz = 100;
inline constexpr double kbHighPassHz = 5.6;

// One second-order section, direct form I. The sum runs
// b0 x + b1 x1 + b2 x2 - a2 y2 - a1 y1 in that order, so that from one
// output to the next there is one multiply and one subtraction.
struct Section {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;   // previous inputs and outputs, from 0

    double step(double x)
    {
        const double y = (b0 * x + b1 * x1 + b2 * x2 - a2 * y2) - a1 * y1;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// y = b0 x + b1 x1 - a1 y1.
struct FirstOrder {
    double b0 = 1, b1 = 0, a1 = 0;
    double x1 = 0, y1 = 0;

    double step(double x)
    {
        const double y = (b0 * x + b1 * x1) - a1 * y1;
        x1 = x;
        y1 = y;
        return y;
    }
};

// H_u, stepped one sample at a time in order; a copy keeps its state.
struct BandFilter {
    Section highPass;
    Section lowPass;
    bool lowPassUsed = true;   // false: "band to rate/2"

    double step(double x)
    {
        const double y = highPass.step(x);
        return lowPassUsed ? lowPass.step(y) : y;
    }
};

// For `rate` samples per second, above 2 x 0.8 Hz; state at 0.
BandFilter designBand(double rate);

// The KB weighting's 5.6 Hz high-pass, applied after H_u; rate above 11.2.
FirstOrder designKbStage(double rate);
