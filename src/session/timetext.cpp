#include "session/timetext.h"

#include <chrono>
#include <cstdio>

namespace {

// The date, `between`, the time of day with microseconds, then `after`.
std::string timeText(int64_t micros, const char *between, const char *after)
{
    using namespace std::chrono;
    const sys_time<microseconds> time{microseconds(micros)};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u%s%02d:%02d:%02d.%06lld%s", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), between,
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), static_cast<long long>(clock.subseconds().count()),
                  after);
    return text;
}

} // namespace

std::string isoTime(int64_t micros)
{
    return timeText(micros, "T", "Z");
}

std::string messageTime(int64_t micros)
{
    return timeText(micros, " ", " UTC");
}
