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

// One block's values, y[0..n-1] of samples start..start+n-1, and the value
// before them.
struct StructureTrack::Block {
    const double *y;
    std::size_t n;
    int64_t start;
    double previous;

    double before(std::size_t j) const { return j > 0 ? y[j - 1] : previous; }
    std::optional<Crossing> crossingAt(std::size_t j) const
    {
        if ((y[j] > 0) == (before(j) > 0))
            return std::nullopt;
        return Crossing{start + static_cast<int64_t>(j), before(j), y[j]};
    }
    // The last crossing into samples 0..j, or the first into j..n-1.
    std::optional<Crossing> lastUpTo(std::size_t j) const
    {
        for (std::size_t k = j + 1; k-- > 0;)
            if (const auto c = crossingAt(k))
                return c;
        return std::nullopt;
    }
    std::optional<Crossing> firstFrom(std::size_t j) const
    {
        for (std::size_t k = j; k < n; ++k)
            if (const auto c = crossingAt(k))
                return c;
        return std::nullopt;
    }
};

void StructureTrack::scan(const double *y, std::size_t n, int64_t start, const BandFilter &next)
{
    // Nothing crosses into the first sample.
    const Block block{y, n, start, start == 0 ? y[0] : previous_};
    if (awaitingAfter_)
        if (const auto c = block.firstFrom(0)) {
            after_ = *c;
            awaitingAfter_ = false;
        }
    // Crossings come at random in noise, so the loop looks for the peak
    // alone, and the crossings are looked for from the peak.
    std::size_t top = n;
    double size = peak_;
    for (std::size_t j = 0; j < n; ++j)
        if (std::abs(y[j]) > size) {
            size = std::abs(y[j]);
            top = j;
        }
    if (top < n)
        newPeak(block, top);
    if (const auto c = block.lastUpTo(n - 1))
        lastCrossing_ = *c;
    previous_ = y[n - 1];
    if (!trace_.empty())
        std::copy(y, y + n, trace_.begin() + start);
    const auto after = static_cast<std::size_t>(start) / passBlock + 1;
    checkpoints_[after % checkpoints_.size()] = next;
}

void StructureTrack::newPeak(const Block &block, std::size_t top)
{
    peak_ = std::abs(block.y[top]);
    peakIndex_ = block.start + static_cast<int64_t>(top);
    before_ = block.lastUpTo(top).value_or(lastCrossing_);
    const std::optional<Crossing> after = block.firstFrom(top + 1);
    after_ = after.value_or(Crossing{});
    awaitingAfter_ = !after;

    spanStart_ = std::clamp(peakIndex_ - spanLength_ / 2, int64_t{0}, count_ - spanLength_);
    const auto first = static_cast<std::size_t>(spanStart_) / passBlock;
    spanFrom_ = static_cast<int64_t>(first * passBlock);
    spanState_ = checkpoints_[first % checkpoints_.size()];
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
