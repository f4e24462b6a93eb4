#include "assess/structuretrack.h"

#include "assess/samplepass.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double spectrumSeconds = 10;

} // namespace

StructureTrack::StructureTrack(const BandFilter &band, int64_t count, double rate, bool keepTrace)
    : count_(count),
      spanLength_(std::min(count, static_cast<int64_t>(std::llround(spectrumSeconds * rate)))),
      // The span starts at most its length before the peak's block ends.
      checkpoints_(static_cast<std::size_t>(spanLength_) / passBlock + 2, band),
      spanState_(band)
{
    if (keepTrace)
        trace_.resize(static_cast<std::size_t>(count));
}

double Crossing::position() const
{
    return static_cast<double>(index - 1) + before / (before - after);
}

void StructureTrack::scan(const double *y, std::size_t n, int64_t start, const BandFilter &next)
{
    if (start == 0 && n > 0)
        previous_ = y[0];   // nothing crosses into the first sample
    Crossing last = lastCrossing_;
    double previous = previous_;
    for (std::size_t j = 0; j < n; ++j) {
        const int64_t i = start + static_cast<int64_t>(j);
        if ((y[j] > 0) != (previous > 0)) {
            last = {i, previous, y[j]};
            if (awaitingAfter_) {
                after_ = last;
                awaitingAfter_ = false;
            }
        }
        const double size = std::abs(y[j]);
        if (size > peak_)
            newPeak(size, i, last);
        previous = y[j];
    }
    lastCrossing_ = last;
    previous_ = previous;
    if (!trace_.empty())
        std::copy(y, y + n, trace_.begin() + start);
    const auto block = static_cast<std::size_t>(start) / passBlock + 1;
    checkpoints_[block % checkpoints_.size()] = next;
}

void StructureTrack::newPeak(double size, int64_t index, const Crossing &last)
{
    peak_ = size;
    peakIndex_ = index;
    before_ = last;
    after_ = Crossing{};
    awaitingAfter_ = true;
    spanStart_ = std::clamp(index - spanLength_ / 2, int64_t{0}, count_ - spanLength_);
    const auto block = static_cast<std::size_t>(spanStart_) / passBlock;
    spanFrom_ = static_cast<int64_t>(block * passBlock);
    spanState_ = checkpoints_[block % checkpoints_.size()];
}

std::optional<double> StructureTrack::zeroCrossingFrequency(double rate) const
{
    if (before_.index < 0 || after_.index < 0)
        return std::nullopt;
    return rate / (2 * (after_.position() - before_.position()));
}

std::vector<double> StructureTrack::spectrumSpan(std::span<const float> samples, double mean) const
{
    BandFilter band = spanState_;
    for (int64_t i = spanFrom_; i < spanStart_; ++i)
        band.step(millimetres(samples[static_cast<std::size_t>(i)], mean));
    std::vector<double> values(static_cast<std::size_t>(spanLength_));
    for (std::size_t j = 0; j < values.size(); ++j)
        values[j] = band.step(millimetres(samples[static_cast<std::size_t>(spanStart_) + j], mean));
    return values;
}
