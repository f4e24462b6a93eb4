#include "assess/options.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 2> standards{"din4150-3", "din4150-2"};
constexpr std::array<std::string_view, 3> buildings{"commercial", "dwelling", "sensitive"};
constexpr std::array<std::string_view, 4> places{"foundation", "top-floor", "slab", "long-term"};
constexpr std::array<std::string_view, 3> methods{"stricter", "zero-crossing", "spectrum"};
constexpr std::array<std::string_view, 5> areas{"industrial", "commercial", "mixed", "residential",
                                                "special"};
constexpr std::array<std::string_view, 2> periods{"day", "night"};
constexpr std::array<std::string_view, 4> verdicts{"met", "exceeded", "no guideline", "undetermined"};

} // namespace

std::span<const std::string_view> optionNames(Standard) { return standards; }
std::span<const std::string_view> optionNames(Building) { return buildings; }
std::span<const std::string_view> optionNames(Place) { return places; }
std::span<const std::string_view> optionNames(FrequencyMethod) { return methods; }
std::span<const std::string_view> optionNames(Area) { return areas; }
std::span<const std::string_view> optionNames(Period) { return periods; }
std::span<const std::string_view> optionNames(Verdict) { return verdicts; }
