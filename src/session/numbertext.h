#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Number texts as the window shows them. The decimal separator is passed in,
// as a text since a locale's may take several bytes: the window gives the
// locale's, the report always "."

// The value rounded half away from zero to at most `decimals` decimals, with
// no trailing zero decimals and no grouping; the separator is always written
// ("12.", "0.", "12.5"). decimals 2, 4 and 6 give the patterns "###0.##",
// "###0.####" and "#####0.######".
std::string formatDecimals(double value, int decimals, std::string_view separator);

inline std::string format2(double value, std::string_view separator) { return formatDecimals(value, 2, separator); }
inline std::string format4(double value, std::string_view separator) { return formatDecimals(value, 4, separator); }
inline std::string format6(double value, std::string_view separator) { return formatDecimals(value, 6, separator); }

// The pattern "###0": the whole number rounded half away from zero, no separator.
std::string formatWhole(double value);

// The plain integer conversion: one blank before a value of 0 or more, a
// minus sign before a negative one (" 6000", "-5").
std::string integerText(int64_t value);

// The shortest text that reads back to the same number ("2048", "1e-09",
// "2.058" for a float, not the digits of its double).
std::string shortestText(double value);
std::string shortestText(float value);
