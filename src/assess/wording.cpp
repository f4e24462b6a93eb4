#include "assess/wording.h"

#include <array>
#include <charconv>

std::string decimals(double value, int places)
{
    std::array<char, 64> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                   std::chars_format::fixed, places);
    return {text.data(), end.ptr};
}

std::string shortest(double value)
{
    std::array<char, 64> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value);
    return {text.data(), end.ptr};
}
