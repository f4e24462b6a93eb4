#pragma once

#include <cstdint>
#include <functional>

// How far a stage has come: the fraction of its own work done, 0 to 1,
// never going back. Only the window and the report turn fractions into the
// numbers of their progress displays; a window lets its events run in it.
using Progress = std::function<void(double done)>;

// Calls `progress` when there is one.
inline void reportProgress(const Progress &progress, double done)
{
    if (progress)
        progress(done);
}

// How many samples a stage handles between two progress calls.
inline constexpr int32_t progressInterval = 1 << 16;
