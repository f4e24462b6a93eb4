#include "record/utctime.h"

#include <cstdio>

namespace {

using namespace std::chrono;

// The date, time of day and microseconds of `time`; years beyond four
// digits are written as they are.
std::string written(UtcTime time, const char *dateTime, const char *after)
{
    const sys_days day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss<microseconds> clock(time - day);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u%s%02d:%02d:%02d.%06lld%s", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), dateTime,
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), static_cast<long long>(clock.subseconds().count()),
                  after);
    return text;
}

std::optional<UtcTime> onDay(sys_days day, int hour, int minute, int second, int microsecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60 || microsecond < 0 ||
        microsecond > 999999)
        return std::nullopt;
    return UtcTime(day) + hours(hour) + minutes(minute) + seconds(second) + microseconds(microsecond);
}

} // namespace

std::optional<UtcTime> utcTime(int year, int month, int day, int hour, int minute, int second, int microsecond)
{
    const year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (month < 1 || day < 1 || !date.ok())
        return std::nullopt;
    return onDay(sys_days(date), hour, minute, second, microsecond);
}

std::optional<UtcTime> utcTimeOfYearDay(int year, int dayOfYear, int hour, int minute, int second,
                                        int microsecond)
{
    const std::chrono::year y(year);
    if (!y.ok() || dayOfYear < 1 || dayOfYear > (y.is_leap() ? 366 : 365))
        return std::nullopt;
    return onDay(sys_days(y / January / 1) + days(dayOfYear - 1), hour, minute, second, microsecond);
}

std::string isoTimeText(UtcTime time)
{
    return written(time, "T", "Z");
}

std::string timeText(UtcTime time)
{
    return written(time, " ", " UTC");
}
