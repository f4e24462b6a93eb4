#pragma once

#include "analysis/levels.h"
#include "analysis/weighting.h"

#include <cstdint>
#include <optional>
#include <string>

// What may mislead in a record's figures, said beside them; the figures
// themselves stay as they are.

// Records below this rate get the low-rate notice.
inline constexpr int32_t noticeBelowRate = 50;

// How many dB more the weighting designed for `sampleRate` attenuates 2 Hz
// than the one designed for 100 samples per second.
double extraAttenuationAt2Hz(int32_t sampleRate);

// When the largest value is 1 or more, which no velocity in m/s reaches
// (1 m/s is 20 times the highest damage guideline for buildings): "the
// largest value is 2048, which cannot be m/s: the values look like counts",
// or, when a sensitivity was used, that the sensitivity looks wrong.
std::optional<std::string> countsWarning(const AnalysedRecord &record);

// Below noticeBelowRate: "at 20 samples per second the 2 Hz weighting
// attenuates 2 Hz by 3.4 dB more than at 100 samples per second: levels
// read lower".
std::optional<std::string> lowRateNotice(int32_t sampleRate);
