#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The values of a StationXML inventory, read as text.

// An xs:dateTime as inventories write it: YYYY-MM-DDThh:mm:ss, an optional
// fraction (kept to the microsecond, further digits dropped), then Z, an
// offset +hh:mm or -hh:mm, or nothing, which is taken as UTC. In UTC
// microseconds since 1970; none when the text is not such a time.
std::optional<int64_t> parseDateTime(std::string_view text);

// What a unit name measures (M/S, nm/s, M/S**2 ...; any case).
struct InputUnit {
    enum Kind { Velocity, Acceleration, Displacement, Other } kind = Other;
    double perMetre = 0;   // units in a metre: NM 1e9, MM 1e3, CM 100, M 1
};
InputUnit classifyUnit(std::string_view name);

// An xs:double: an optional sign, digits with '.' as the decimal point, an
// optional exponent; none when it is anything else or not finite.
std::optional<double> parseDouble(std::string_view text);

// `text` without the blanks, tabs and line ends around it.
std::string_view trimmedText(std::string_view text);
