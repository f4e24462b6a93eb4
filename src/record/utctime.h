#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// A moment in UTC to the microsecond, counted from 1970-01-01 00:00:00.
// Leap seconds are not counted: a time stated as 23:59:60 is the next
// day's 00:00:00.
using UtcTime = std::chrono::sys_time<std::chrono::microseconds>;

// The moment of a calendar date and time of day; none when a field lies
// outside its range (month 1..12, day within the month, hour 0..23, minute
// 0..59, second 0..60, microsecond 0..999999).
std::optional<UtcTime> utcTime(int year, int month, int day, int hour, int minute, int second,
                               int microsecond);

// The same with the day given as the day of the year, 1..366.
std::optional<UtcTime> utcTimeOfYearDay(int year, int dayOfYear, int hour, int minute, int second,
                                        int microsecond);

// ISO 8601 with microseconds: "2008-01-01T00:00:00.435000Z".
std::string isoTimeText(UtcTime time);

// As messages give it: "2024-03-01 10:00:03.740000 UTC".
std::string timeText(UtcTime time);
