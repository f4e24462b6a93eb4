#include "record/utctime.h"

#include "session/timetext.h"

namespace {

using namespace std::chrono;

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
    return isoTime(time.time_since_epoch().count());
}

std::string timeText(UtcTime time)
{
    return messageTime(time.time_since_epoch().count());
}
