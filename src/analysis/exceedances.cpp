#include "analysis/exceedances.h"

#include <algorithm>
#include <cmath>
#include <limits>

double sampleOffset(int64_t sample, int32_t sampleRate)
{
    return static_cast<double>(sample - 1) / sampleRate;
}

double exceedanceDuration(const Exceedance &e, int32_t sampleRate)
{
    return static_cast<double>(int64_t{e.last} - e.first + 1) / sampleRate;
}

std::optional<int64_t> sampleTime(std::optional<int64_t> start, int64_t sample, int32_t sampleRate)
{
    if (!start)
        return std::nullopt;
    // (sample - 1) * 1e6 stays exact in 64 bits for any 32-bit sample number.
    const int64_t micros = (sample - 1) * 1000000;
    return *start + (micros + sampleRate / 2) / sampleRate;
}

ExceedanceTrack::ExceedanceTrack(int32_t sampleRate, double threshold, double mergeSeconds)
    : sampleRate_(sampleRate), threshold_(threshold), mergeSeconds_(mergeSeconds), scale_(sampleRate)
{
    // The mean square of a level 0.001 dB (plus a part in a million) under
    // the threshold: far more than a float level's rounding step and the
    // logarithm's error, so that no mean square below it can give a level
    // that rounds to above the threshold.
    const double margin = 0.001 + std::abs(threshold) * 1e-6;
    nearMeanSquare_ = std::pow(1e-9, 2) * std::pow(10.0, (threshold - margin + 29) / 10);
}

void ExceedanceTrack::follow(const LevelledPiece &piece)
{
    if (piece.levels)
        addLevels(piece.levels, piece.n, piece.from);
    else
        addMeanSquares(piece.meanSquares, piece.n, piece.from);
}

void ExceedanceTrack::addLevels(const float *levels, int32_t n, int32_t first)
{
    constexpr int32_t stretch = 64;
    for (int32_t i = 0; i < n;) {
        // Outside a run, a stretch with no level above the threshold is
        // passed over in one test.
        constexpr float none = -std::numeric_limits<float>::infinity();
        if (!open_ && i + stretch <= n && !(runningMax(levels + i, stretch, none) > threshold_)) {
            i += stretch;
            continue;
        }
        const int32_t end = std::min(n, i + stretch);
        for (; i < end; ++i) {
            if (levels[i] > threshold_)
                above(levels[i], first + i);
            else if (open_)
                close();
        }
    }
}

void ExceedanceTrack::addMeanSquares(const double *meanSquares, int32_t n, int32_t first)
{
    for (int32_t i = 0; i < n; ++i) {
        if (meanSquares[i] >= nearMeanSquare_) {
            const float level = scale_.level(meanSquares[i]);
            if (level > threshold_) {
                above(level, first + i);
                continue;
            }
        }
        if (open_)
            close();
    }
}

void ExceedanceTrack::close()
{
    open_ = false;
    if (pending_ && static_cast<double>(int64_t{run_.first} - pending_->last - 1) / sampleRate_ < mergeSeconds_) {
        pending_->last = run_.last;
        if (run_.lawMax > pending_->lawMax) {
            pending_->lawMax = run_.lawMax;
            pending_->lawMaxSample = run_.lawMaxSample;
        }
        return;
    }
    if (pending_)
        found_.push_back(*pending_);
    pending_ = run_;
}

std::vector<Exceedance> ExceedanceTrack::finish()
{
    if (open_)
        close();
    if (pending_)
        found_.push_back(*pending_);
    pending_.reset();
    return std::move(found_);
}
