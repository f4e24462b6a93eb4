#include "settings/inventoryfields.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <string>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// `text` as a number of decimal digits only; false when anything else is in it.
bool digits(std::string_view text, int &value)
{
    value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    return !text.empty();
}

// Reads ".ffffff" at the front of `rest` into `micros`; false when the point
// has no digit after it.
bool readFraction(std::string_view &rest, int64_t &micros)
{
    micros = 0;
    if (rest.empty() || rest[0] != '.')
        return true;
    size_t n = 1;
    for (int64_t place = 100000; n < rest.size() && isDigit(rest[n]); ++n, place /= 10)
        micros += (rest[n] - '0') * place;
    rest.remove_prefix(n);
    return n > 1;
}

// Minutes east of UTC of a zone "Z", "+hh:mm", "-hh:mm" or "" (UTC).
std::optional<int> zoneOffset(std::string_view zone)
{
    if (zone.empty() || zone == "Z")
        return 0;
    int hours = 0, minutes = 0;
    if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':' ||
        !digits(zone.substr(1, 2), hours) || !digits(zone.substr(4, 2), minutes) || hours > 14 ||
        minutes > 59)
        return std::nullopt;
    return (zone[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
}

} // namespace

std::optional<int64_t> parseDateTime(std::string_view text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || !digits(text.substr(0, 4), year) || !digits(text.substr(5, 2), month) ||
        !digits(text.substr(8, 2), day) || !digits(text.substr(11, 2), hour) ||
        !digits(text.substr(14, 2), minute) || !digits(text.substr(17, 2), second))
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    // A leap second (:60) is the next second's start.
    if (!date.ok() || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    std::string_view rest = text.substr(19);
    int64_t micros = 0;
    if (!readFraction(rest, micros))
        return std::nullopt;
    const std::optional<int> offset = zoneOffset(rest);
    if (!offset)
        return std::nullopt;
    const int64_t days = sys_days(date).time_since_epoch().count();
    const int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second - *offset * 60;
    return seconds * 1000000 + micros;
}

InputUnit classifyUnit(std::string_view name)
{
    std::string unit;
    for (char c : name)
        unit += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    static constexpr std::pair<std::string_view, double> lengths[] = {
        {"NM", 1e9}, {"MM", 1e3}, {"CM", 1e2}, {"M", 1}};
    for (const auto &[length, perMetre] : lengths) {
        if (!unit.starts_with(length))
            continue;
        const std::string_view per = std::string_view(unit).substr(length.size());
        if (per.empty())
            return {InputUnit::Displacement, perMetre};
        if (per == "/S")
            return {InputUnit::Velocity, perMetre};
        if (per == "/S**2" || per == "/S^2" || per == "/S2" || per == "/S/S")
            return {InputUnit::Acceleration, perMetre};
    }
    return {};
}

std::optional<double> parseDouble(std::string_view text)
{
    // std::from_chars reads no '+', and never depends on the locale.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string_view trimmedText(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}
