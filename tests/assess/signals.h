#pragma once

#include <cmath>
#include <vector>

// Test records in m/s.

// Adds amplitude * envelope(t) * sin(2 pi hz t + phase) to samples
// from..from+seconds (in seconds); the envelope rises as a raised cosine
// over rampSeconds and falls likewise at the end when fall is set.
inline void addSine(std::vector<float> &samples, double rate, double from, double seconds, double hz,
                    double amplitude, double rampSeconds = 0, double phase = 0, bool fall = false)
{
    const auto first = static_cast<std::size_t>(std::llround(from * rate));
    const auto count = static_cast<std::size_t>(std::llround(seconds * rate));
    for (std::size_t i = 0; i < count && first + i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double envelope = 1;
        if (t < rampSeconds)
            envelope = 0.5 - 0.5 * std::cos(M_PI * t / rampSeconds);
        if (fall && seconds - t < rampSeconds)
            envelope = std::min(envelope, 0.5 - 0.5 * std::cos(M_PI * (seconds - t) / rampSeconds));
        samples[first + i] += static_cast<float>(amplitude * envelope * std::sin(2 * M_PI * hz * t + phase));
    }
}

inline std::vector<float> silence(double rate, double seconds)
{
    return std::vector<float>(static_cast<std::size_t>(std::llround(rate * seconds)), 0.0f);
}
