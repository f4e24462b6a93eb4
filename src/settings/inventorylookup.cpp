#include "settings/inventory.h"

#include "record/utctime.h"

namespace {

bool holds(const InventoryEpoch &epoch, int64_t time)
{
    return (!epoch.start || *epoch.start <= time) && (!epoch.end || time < *epoch.end);
}

std::variant<double, std::string> answer(const InventoryEpoch &epoch)
{
    if (epoch.countsPerMetrePerSecond)
        return *epoch.countsPerMetrePerSecond;
    return epoch.refusal;
}

std::string timeText(int64_t microseconds)
{
    return ::timeText(UtcTime(std::chrono::microseconds(microseconds)));
}

// "from 2020-01-01 00:00:00.000000 UTC until ...", "from ... on", "until ...".
std::string spanText(const InventoryEpoch &epoch)
{
    const std::string from = epoch.start ? "from " + timeText(*epoch.start) : "";
    if (!epoch.end)
        return from + " on";
    return from + (from.empty() ? "until " : " until ") + timeText(*epoch.end);
}

std::string noEpochReason(const std::string &id, const std::vector<const InventoryEpoch *> &epochs,
                          int64_t start)
{
    std::string spans;
    for (const InventoryEpoch *epoch : epochs)
        spans += (spans.empty() ? "" : "; ") + spanText(*epoch);
    return "no epoch of " + id + " in the inventory holds the record's start, " + timeText(start) + " (" +
           spans + ")";
}

} // namespace

std::variant<double, std::string> inventorySensitivity(const Inventory &inventory, std::string_view network,
                                                       std::string_view station, std::string_view location,
                                                       std::string_view channel, std::optional<int64_t> start)
{
    const std::string id = std::string(network) + "." + std::string(station) + "." + std::string(location) +
                           "." + std::string(channel);
    std::vector<const InventoryEpoch *> epochs;
    for (const InventoryEpoch &epoch : inventory.epochs)
        if (epoch.network == network && epoch.station == station && epoch.location == location &&
            epoch.channel == channel)
            epochs.push_back(&epoch);
    if (epochs.empty())
        return "the inventory has no channel " + id;
    if (!start) {
        if (epochs.size() > 1)
            return "the record has no start time, and the inventory has " + std::to_string(epochs.size()) +
                   " epochs of " + id;
        return answer(*epochs.front());
    }
    std::vector<const InventoryEpoch *> holding;
    for (const InventoryEpoch *epoch : epochs)
        if (holds(*epoch, *start))
            holding.push_back(epoch);
    if (holding.empty())
        return noEpochReason(id, epochs, *start);
    for (const InventoryEpoch *epoch : holding)
        if (answer(*epoch) != answer(*holding.front()))
            return std::to_string(holding.size()) + " epochs of " + id +
                   " in the inventory hold the record's start, with different sensitivities";
    return answer(*holding.front());
}
