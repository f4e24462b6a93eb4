#pragma once

#include "record/loaderror.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The sensitivities of a StationXML 1.x inventory (namespace
// http://www.fdsn.org/xml/station/1): one entry per Channel element, that is
// per epoch of a channel.
struct InventoryEpoch {
    // Codes without the blanks around them; location "" when empty or absent.
    std::string network, station, location, channel;
    // startDate and endDate in UTC microseconds since 1970, none when absent
    // (open); the epoch holds start <= t < end.
    std::optional<int64_t> start, end;
    // InstrumentSensitivity/Value in counts per m/s, when its input unit is a
    // velocity (M/S, CM/S, MM/S, NM/S, any case) and the value is above 0.
    std::optional<double> countsPerMetrePerSecond;
    // Otherwise why there is none, in plain words, naming the channel.
    std::string refusal;
};

struct Inventory {
    std::vector<InventoryEpoch> epochs;   // in the document's order
};

// The inventory in `text`, or why it cannot be read, naming `name` and the
// line (libxml2's own message for XML that is not well-formed). No network
// access, no DTD, no entity expanded: an entity reference where a value is
// read is an error. Nothing is written to standard error.
std::variant<Inventory, LoadError> parseInventory(std::string_view text, const std::string &name);

// The inventory in the file at `path`.
std::variant<Inventory, LoadError> readInventory(const std::string &path);

// The sensitivity of a record of this channel in counts per m/s, from the
// epoch that holds `start` (UTC microseconds since 1970), or why the
// inventory gives none, in plain words. A record without a start time takes
// the channel's only epoch; with several there is none. Codes are compared
// as they stand (a location without one is "").
std::variant<double, std::string> inventorySensitivity(const Inventory &inventory,
                                                       std::string_view network,
                                                       std::string_view station,
                                                       std::string_view location,
                                                       std::string_view channel,
                                                       std::optional<int64_t> start);
