#include "session/timetext.h"

#include <charconv>

namespace {

constexpr int64_t microsPerDay = 86400LL * 1000000;

struct Civil {
    int64_t year;
    int month, day;
};

// Days since 1970-01-01 to year, month, day (Hinnant's civil_from_days).
Civil civilFromDays(int64_t days)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return {yearOfEra + era * 400 + (month <= 2), month, day};
}

// `value` with at least `width` digits, zeros in front.
void appendPadded(std::string &text, int64_t value, int width)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const int count = static_cast<int>(end - digits);
    text.append(count < width ? width - count : 0, '0');
    text.append(digits, end);
}

int64_t dayOf(int64_t micros)
{
    return micros >= 0 ? micros / microsPerDay : -((-micros + microsPerDay - 1) / microsPerDay);
}

} // namespace

std::string dateText(int64_t micros)
{
    const Civil c = civilFromDays(dayOf(micros));
    std::string text;
    appendPadded(text, c.year, 4);
    text += '-';
    appendPadded(text, c.month, 2);
    text += '-';
    appendPadded(text, c.day, 2);
    return text;
}

std::string clockText(int64_t micros, int decimals)
{
    const int64_t ofDay = micros - dayOf(micros) * microsPerDay;
    const int64_t seconds = ofDay / 1000000;
    std::string text;
    appendPadded(text, seconds / 3600, 2);
    text += ':';
    appendPadded(text, seconds / 60 % 60, 2);
    text += ':';
    appendPadded(text, seconds % 60, 2);
    if (decimals > 0) {
        std::string fraction;
        appendPadded(fraction, ofDay % 1000000, 6);
        text += '.';
        text += fraction.substr(0, static_cast<size_t>(decimals));
    }
    return text;
}

std::string isoTime(int64_t micros)
{
    return dateText(micros) + 'T' + clockText(micros, 6) + 'Z';
}
