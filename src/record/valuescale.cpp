#include "record/valuescale.h"

std::string_view trimmedCode(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

ValueScale chooseScale(const SensitivityChoice &choice, const ChannelKey &key,
                       std::optional<ValueScale> fromHeader)
{
    if (choice.given)
        return ValueScale::sensitivity(*choice.given);
    if (choice.lookup)
        if (const std::optional<double> found = choice.lookup(key))
            return ValueScale::sensitivity(*found);
    if (choice.table) {
        const std::string_view station = trimmedCode(key.station);
        const std::string_view component = trimmedCode(key.channel);
        for (std::string_view wanted : {component, std::string_view("*")})
            for (const SensitivityEntry &e : *choice.table)
                if (e.station == station && e.component == wanted)
                    return ValueScale::sensitivity(e.countsPerMetrePerSecond);
    }
    return fromHeader.value_or(ValueScale{});
}

std::string valueRefusal(double stored, int64_t sample)
{
    return "sample " + std::to_string(sample) +
           (std::isnan(stored)   ? " is not a number"
            : std::isinf(stored) ? " is infinite"
                                 : " is beyond the 32-bit float range");
}
