#include "assess/componentsets.h"

#include "assess/wording.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

bool validCode(const ChannelInfo &c) { return c.channel.size() == 3; }

bool sameStation(const ChannelInfo &a, const ChannelInfo &b)
{
    return a.network == b.network && a.station == b.station && a.location == b.location &&
           a.channel.compare(0, 2, b.channel, 0, 2) == 0;
}

bool sameRate(const ChannelInfo &a, const ChannelInfo &b)
{
    return std::abs(a.rate - b.rate) <= 1e-6 * std::max(a.rate, b.rate);
}

bool fit(const ChannelInfo &a, const ChannelInfo &b)
{
    if (!sameRate(a, b) || a.startMicros.has_value() != b.startMicros.has_value())
        return false;
    if (!a.startMicros)
        return a.sampleCount == b.sampleCount;
    const double apart = std::abs(static_cast<double>(*b.startMicros - *a.startMicros));
    return apart * a.rate <= 0.5e6;   // half a sample, in microseconds
}

std::string mismatch(const ChannelInfo &a, const ChannelInfo &b)
{
    if (!sameRate(a, b))
        return a.channel + " has " + shortest(a.rate) + " samples/s, " + b.channel + " " + shortest(b.rate);
    if (a.startMicros.has_value() != b.startMicros.has_value())
        return (a.startMicros ? a.channel : b.channel) + " has a start time, " +
               (a.startMicros ? b.channel : a.channel) + " none";
    if (!a.startMicros)
        return a.channel + " has " + std::to_string(a.sampleCount) + " samples, " + b.channel + " " +
               std::to_string(b.sampleCount) + ": without start times only records of one length form a set";
    const int64_t later = *b.startMicros - *a.startMicros;
    return b.channel + " starts " + shortest(static_cast<double>(later < 0 ? -later : later) / 1e6) + " s " +
           (later > 0 ? "after " : "before ") + a.channel + ", more than half a sample";
}

// The orientations of the set a record would belong to.
std::string_view familyOf(std::span<const ChannelInfo> all, std::size_t i)
{
    const char own = all[i].channel[2];
    if (own == 'N' || own == 'E')
        return "ZNE";
    if (own == '1' || own == '2')
        return "Z12";
    bool numbered = false, lettered = false;
    for (const ChannelInfo &c : all)
        if (validCode(c) && sameStation(c, all[i])) {
            numbered |= c.channel[2] == '1' || c.channel[2] == '2';
            lettered |= c.channel[2] == 'N' || c.channel[2] == 'E';
        }
    return numbered && !lettered ? "Z12" : "ZNE";
}

// Why the other orientation `wanted` gives record i no partner.
std::optional<std::string> lacking(std::span<const ChannelInfo> all, const std::vector<bool> &used,
                                   std::size_t i, char wanted)
{
    const ChannelInfo &own = all[i];
    const std::string code = own.channel.substr(0, 2) + wanted;
    std::optional<std::size_t> free;
    bool taken = false;
    for (std::size_t j = 0; j < all.size(); ++j) {
        if (j == i || !validCode(all[j]) || all[j].channel[2] != wanted || !sameStation(all[j], own))
            continue;
        if (used[j])
            taken = true;
        else if (fit(own, all[j]))
            return std::nullopt;
        else if (!free)
            free = j;
    }
    if (free)
        return mismatch(own, all[*free]);
    return code + (taken ? " belongs to another set" : " is missing");
}

std::string reason(std::span<const ChannelInfo> all, const std::vector<bool> &used, std::size_t i)
{
    const ChannelInfo &c = all[i];
    if (!validCode(c))
        return "the channel code \"" + c.channel + "\" is not three letters (band, instrument, orientation)";
    if (std::string_view("ZNE12").find(c.channel[2]) == std::string_view::npos)
        return std::string("its orientation ") + c.channel[2] + " is none of Z, N, E, 1, 2";
    const std::string_view family = familyOf(all, i);
    std::string text;
    for (const char wanted : family)
        if (wanted != c.channel[2])
            if (const std::optional<std::string> why = lacking(all, used, i, wanted))
                text += (text.empty() ? "" : "; ") + *why;
    return text.empty() ? "its other components do not fit each other" : text;
}

ComponentSet makeSet(std::span<const ChannelInfo> all, std::array<std::size_t, 3> members)
{
    ComponentSet set{members, {}, 0};
    int64_t latest = 0;
    for (std::size_t m : members)
        latest = std::max(latest, all[m].startMicros.value_or(0));
    set.count = all[members[0]].sampleCount;
    for (std::size_t k = 0; k < 3; ++k) {
        const ChannelInfo &c = all[members[k]];
        // Nearest sample, a tie going to the earlier one.
        const double behind = static_cast<double>(latest - c.startMicros.value_or(0)) * c.rate / 1e6;
        set.offsets[k] = static_cast<int64_t>(std::ceil(behind - 0.5));
        set.count = std::min(set.count, c.sampleCount - set.offsets[k]);
    }
    return set;
}

// The first free record of the station with orientation `wanted` that fits
// every record in `members` (up to `have` of them).
std::optional<std::size_t> partner(std::span<const ChannelInfo> all, const std::vector<bool> &used,
                                   const std::array<std::size_t, 3> &members, std::size_t have, char wanted)
{
    for (std::size_t j = 0; j < all.size(); ++j) {
        if (used[j] || !validCode(all[j]) || all[j].channel[2] != wanted ||
            !sameStation(all[j], all[members[0]]))
            continue;
        bool fits = true;
        for (std::size_t k = 0; k < have; ++k)
            fits = fits && fit(all[members[k]], all[j]);
        if (fits)
            return j;
    }
    return std::nullopt;
}

} // namespace

ComponentGrouping groupComponents(std::span<const ChannelInfo> channels)
{
    ComponentGrouping grouping;
    std::vector<bool> used(channels.size(), false);
    for (std::size_t z = 0; z < channels.size(); ++z) {
        if (!validCode(channels[z]) || channels[z].channel[2] != 'Z' || used[z])
            continue;
        for (const std::string_view family : {"ZNE", "Z12"}) {
            std::array<std::size_t, 3> members{z, 0, 0};
            const auto first = partner(channels, used, members, 1, family[1]);
            if (!first)
                continue;
            members[1] = *first;
            const auto second = partner(channels, used, members, 2, family[2]);
            if (!second)
                continue;
            members[2] = *second;
            for (std::size_t m : members)
                used[m] = true;
            grouping.sets.push_back(makeSet(channels, members));
            break;
        }
    }
    for (std::size_t i = 0; i < channels.size(); ++i)
        if (!used[i])
            grouping.singles.push_back({i, reason(channels, used, i)});
    return grouping;
}

bool fitTogether(const ChannelInfo &a, const ChannelInfo &b)
{
    return validCode(a) && validCode(b) && sameStation(a, b) && fit(a, b);
}
