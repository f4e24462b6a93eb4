#pragma once

#include <cstdint>
#include <string>

// Texts of UTC times given in microseconds since 1970-01-01 00:00:00 UTC
// (negative before), in the proleptic Gregorian calendar, without leap
// seconds.

// ISO 8601 with microseconds: "2008-01-01T00:00:00.435000Z".
std::string isoTime(int64_t micros);

// The date alone: "2008-01-01".
std::string dateText(int64_t micros);

// The time of day, "HH:MM:SS", with `decimals` (0..6) digits of the second
// after a point, truncated: 3 gives "00:00:00.435".
std::string clockText(int64_t micros, int decimals = 0);
