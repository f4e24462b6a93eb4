#include "session/numbertext.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

// Digits of |value| rounded half away from zero to `decimals` decimals, as
// an integer part and a fraction of exactly `decimals` digits.
void roundedDigits(double magnitude, int decimals, std::string &whole, std::string &fraction)
{
    // Print enough further digits that an exact tie shows as "5000...": a
    // double that is not a tie lies further than 1e-40 from one at every
    // magnitude where the rounding can reach a non-zero digit.
    // std::to_chars writes '.' whatever the process locale says.
    constexpr int guard = 40;
    char buffer[512];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed,
                                   decimals + guard).ptr;
    const std::string digits(buffer, end);
    const auto point = digits.find('.');
    whole = digits.substr(0, point);
    fraction = digits.substr(point + 1, decimals);
    const bool roundUp = digits[point + 1 + decimals] >= '5';
    if (!roundUp)
        return;
    // Add one unit in the last kept place, carrying leftwards.
    std::string all = whole + fraction;
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[i] == '9')
        all[i--] = '0';
    if (i >= 0)
        ++all[i];
    else
        all.insert(all.begin(), '1');
    whole = all.substr(0, all.size() - decimals);
    fraction = all.substr(all.size() - decimals);
}

} // namespace

std::string formatDecimals(double value, int decimals, std::string_view separator)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    std::string whole, fraction;
    roundedDigits(std::fabs(value), decimals, whole, fraction);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    const bool zero = whole == "0" && fraction.empty();
    std::string text = (value < 0 && !zero) ? "-" : "";
    text += whole;
    text += separator;
    text += fraction;
    return text;
}

std::string formatWhole(double value)
{
    std::string text = formatDecimals(value, 0, "");
    return text;
}

std::string integerText(int64_t value)
{
    char digits[24] = {' '};
    const auto end = std::to_chars(digits + 1, digits + sizeof digits, value).ptr;
    return value >= 0 ? std::string(digits, end) : std::string(digits + 1, end);
}

namespace {

template <class T>
std::string shortest(T value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

} // namespace

std::string shortestText(double value)
{
    return shortest(value);
}

std::string shortestText(float value)
{
    return shortest(value);
}
