#include "assess/guidelines.h"

#include <array>
#include <cstddef>

namespace {

// Foundation corners: frequency in Hz, then the value of each line.
struct Corner {
    double hz;
    std::array<double, 3> mmPerSecond;
};
constexpr std::array<Corner, 4> foundation{{
    {1, {20, 5, 3}},
    {10, {20, 5, 3}},
    {50, {40, 15, 8}},
    {100, {50, 20, 10}},
}};
constexpr std::array<double, 3> topFloor{40, 15, 8};
constexpr std::array<double, 3> longTerm{10, 5, 2.5};
constexpr double slab = 20;

double foundationValue(std::size_t line, double frequency)
{
    for (std::size_t k = 1; k < foundation.size(); ++k) {
        const Corner &lo = foundation[k - 1], &hi = foundation[k];
        if (frequency <= hi.hz) {
            const double share = (frequency - lo.hz) / (hi.hz - lo.hz);
            return lo.mmPerSecond[line] + share * (hi.mmPerSecond[line] - lo.mmPerSecond[line]);
        }
    }
    return foundation.back().mmPerSecond[line];
}

// Day, then night, for each area in the order of Area.
constexpr std::array<std::array<GuideValues, 2>, 5> guides{{
    {{{0.4, 6, 0.2}, {0.3, 0.6, 0.15}}},
    {{{0.3, 6, 0.15}, {0.2, 0.4, 0.1}}},
    {{{0.2, 5, 0.1}, {0.15, 0.3, 0.07}}},
    {{{0.15, 3, 0.07}, {0.1, 0.2, 0.05}}},
    {{{0.1, 3, 0.05}, {0.1, 0.15, 0.05}}},
}};

} // namespace

std::optional<double> guidelineValue(Building building, Place place, double frequency)
{
    const auto line = static_cast<std::size_t>(building);
    switch (place) {
    case Place::Foundation:
        if (!(frequency >= foundation.front().hz))
            return std::nullopt;
        return foundationValue(line, frequency);
    case Place::TopFloor:
        return topFloor[line];
    case Place::Slab:
        return slab;
    case Place::LongTerm:
        return longTerm[line];
    }
    return std::nullopt;
}

Axis axisOfChannel(std::string_view channel)
{
    if (channel.empty())
        return Axis::Unknown;
    switch (channel.back()) {
    case 'Z':
        return Axis::Vertical;
    case 'N':
    case 'E':
    case '1':
    case '2':
        return Axis::Horizontal;
    default:
        return Axis::Unknown;
    }
}

bool placeJudges(Place place, Axis axis)
{
    switch (place) {
    case Place::TopFloor:
    case Place::LongTerm:
        return axis != Axis::Vertical;
    case Place::Slab:
        return axis != Axis::Horizontal;
    case Place::Foundation:
        break;
    }
    return true;
}

GuideValues guideValues(Area area, Period period)
{
    return guides[static_cast<std::size_t>(area)][static_cast<std::size_t>(period)];
}
