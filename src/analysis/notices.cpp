#include "analysis/notices.h"

#include "analysis/weighting.h"
#include "session/numbertext.h"

#include <charconv>
#include <cmath>

double extraAttenuationAt2Hz(int32_t sampleRate)
{
    return 20 * std::log10(weightingGain(100, 2) / weightingGain(sampleRate, 2));
}

std::optional<std::string> countsWarning(const AnalysedRecord &record)
{
    if (!(record.largestValue >= 1))
        return std::nullopt;
    const std::string largest = shortestText(record.largestValue);
    if (!record.sensitivity)
        return "the largest value is " + largest + ", which cannot be m/s: the values look like counts";
    return "the largest value is " + largest + " m/s with a sensitivity of " +
           shortestText(*record.sensitivity) + " counts per m/s, which cannot be right: "
           "the sensitivity looks wrong";
}

std::optional<std::string> lowRateNotice(int32_t sampleRate)
{
    if (sampleRate >= noticeBelowRate)
        return std::nullopt;
    char db[32];
    const auto end = std::to_chars(db, db + sizeof db, extraAttenuationAt2Hz(sampleRate), std::chars_format::fixed, 1).ptr;
    return "at " + std::to_string(sampleRate) + " samples per second the weighting attenuates 2 Hz by " +
           std::string(db, end) + " dB more than at 100 samples per second: levels read lower";
}
