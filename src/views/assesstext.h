#pragma once

// The lines of words an assessment picture carries. Numbers take the
// caller's decimal separator: mm/s with two decimals, Hz with one, KB with
// three, ratios as whole percent.

#include "views/assessevent.h"

#include <string>
#include <string_view>

// The event's verdict and what governs it, e.g.
// "Exceeded: N component 6.01 mm/s at 6.0 Hz, 120 % of 5.00 mm/s for dwellings";
// "Met: Z component KB_Fmax 0.120, at most A_u 0.150 for residential areas by day".
std::string verdictSentence(const AssessEvent &event, std::string_view separator);

// Station, channels, first sample's time, standard and options, e.g.
// "GE.STA.00   HHZ, HHN, HHE   2024-05-03 10:15:02 UTC   DIN 4150-3: dwellings, foundation, frequency stricter".
std::string titleLine(const AssessEvent &event, std::string_view separator);

// The small print: that this is a screening by software, and the band
// where the rate left out the low-pass.
std::string pictureNote(const AssessEvent &event);

// "N component" from the channel code's last letter.
std::string componentName(const std::string &channel);

// "dwellings", "commercial buildings", with the place where it is not the
// foundation ("dwellings, top floor").
std::string buildingWords(Building building, Place place);
