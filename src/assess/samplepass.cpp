#include "assess/samplepass.h"

#include "assess/options.h"
#include "assess/wording.h"

#include <cmath>
#include <string>

void checkRate(double rate, double lowest, std::string_view needs)
{
    if (!(rate > lowest) || !std::isfinite(rate))
        throw AssessError("a rate of " + shortest(rate) + " samples/s is too low: " + std::string(needs) +
                          " needs more than " + shortest(lowest) + " samples/s");
}

double checkedMean(std::span<const float> samples)
{
    if (samples.empty())
        throw AssessError("there are no samples to assess");
    // Four sums in turn, so that each addition need not wait for the last.
    std::array<double, 4> sums{};
    std::size_t i = 0;
    for (; i + 4 <= samples.size(); i += 4)
        for (std::size_t k = 0; k < 4; ++k)
            sums[k] += samples[i + k];
    for (; i < samples.size(); ++i)
        sums[0] += samples[i];
    const double mean = ((sums[0] + sums[1]) + (sums[2] + sums[3])) / static_cast<double>(samples.size());
    // Finite floats cannot add up to more than a double holds.
    if (!std::isfinite(mean))
        throw AssessError("the record holds values that are not finite numbers");
    return mean;
}
