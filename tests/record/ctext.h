#pragma once

#include <algorithm>
#include <charconv>
#include <string>

// What printf writes for `value` with %.*f, %.*e or %.*g (%.*E with
// `upper`) in the C locale, whatever the process locale: the tests' records
// are written with '.' when they run under a locale with a decimal comma.
inline std::string cText(double value, std::chars_format format, int precision, bool upper = false)
{
    char text[400];
    std::string written(text, std::to_chars(text, text + sizeof text, value, format, precision).ptr);
    if (upper)
        std::replace(written.begin(), written.end(), 'e', 'E');
    return written;
}
