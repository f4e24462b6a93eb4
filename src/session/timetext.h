#pragma once

#include <cstdint>
#include <string>

// A UTC time given in microseconds since 1970-01-01 00:00:00 UTC (negative
// before) as ISO 8601 with microseconds: "2008-01-01T00:00:00.435000Z".
std::string isoTime(int64_t micros);

// The same as messages give it: "2008-01-01 00:00:00.435000 UTC".
std::string messageTime(int64_t micros);
