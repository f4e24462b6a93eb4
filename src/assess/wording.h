#pragma once

#include <string>

// Numbers in the assessment's plain-words texts, with a full stop as the
// decimal separator whatever the locale.

// `value` with `places` decimals ("0.350").
std::string decimals(double value, int places);

// The shortest text that reads back as `value` ("100", "0.1", "2.5").
std::string shortest(double value);
