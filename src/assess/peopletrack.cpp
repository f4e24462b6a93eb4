#include "assess/peopletrack.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double tau = 0.125;          // s
constexpr double cycleSeconds = 30;
constexpr double countsAsNone = 0.1;   // a cycle's KB_FTi at or below this enters KB_FTm as 0

int64_t cycleEnd(double rate, int64_t cycle)
{
    return std::llround(cycleSeconds * rate * static_cast<double>(cycle + 1));
}

} // namespace

KbChain designKbChain(double rate)
{
    KbChain chain{designBand(rate), designKbStage(rate)};
    chain.alpha = 1 - std::exp(-1 / (tau * rate));
    chain.keep = 1 - chain.alpha;
    return chain;
}

PeopleTrack::PeopleTrack(int64_t count, double rate, bool keepTrace)
    : rate_(rate), cycleEnd_(cycleEnd(rate, 0))
{
    if (keepTrace)
        trace_.resize(static_cast<std::size_t>(count));
}

void PeopleTrack::scan(const double *m, std::size_t n, int64_t start)
{
    for (std::size_t j = 0; j < n; ++j) {
        if (m[j] > largest_) {
            largest_ = m[j];
            maxIndex_ = start + static_cast<int64_t>(j);
        }
        cycleLargest_ = std::max(cycleLargest_, m[j]);
        if (start + static_cast<int64_t>(j) + 1 == cycleEnd_) {
            cycles_.push_back(std::sqrt(cycleLargest_));
            cycleLargest_ = 0;
            cycleEnd_ = cycleEnd(rate_, static_cast<int64_t>(cycles_.size()));
        }
    }
    if (!trace_.empty())
        std::transform(m, m + n, trace_.begin() + start,
                       [](double square) { return static_cast<float>(std::sqrt(square)); });
}

double PeopleTrack::kbFmax() const { return std::sqrt(std::max(largest_, 0.0)); }

double kbFTm(std::span<const double> cycles)
{
    if (cycles.empty())
        return 0;
    double sum = 0;
    for (double c : cycles)
        if (c > countsAsNone)
            sum += c * c;
    return std::sqrt(sum / static_cast<double>(cycles.size()));
}
