#pragma once

#include "assess/options.h"

#include <optional>
#include <string_view>

// DIN 4150-3 guideline value in mm/s for a building line and place at a
// frequency in Hz. At the foundation: straight lines on a linear frequency
// axis between the corners 1, 10, 50 and 100 Hz, the 100 Hz value above
// 100 Hz, none below 1 Hz (or for NaN). The other places give one value at
// every frequency: top floor 40 / 15 / 8, slab 20, long-term 10 / 5 / 2.5
// (commercial / dwelling / sensitive).
std::optional<double> guidelineValue(Building building, Place place, double frequency);

// Which way a component measures, from the last letter of its channel code:
// Z vertical; N, E, 1, 2 horizontal; anything else unknown.
enum class Axis { Vertical, Horizontal, Unknown };
Axis axisOfChannel(std::string_view channel);

// Whether a place judges a component: the foundation every one, the top
// floor and long-term vibration the horizontal ones, the slab the vertical
// one. A component of unknown direction is judged wherever it is measured.
bool placeJudges(Place place, Axis axis);

// DIN 4150-2 guide values A_u, A_o and A_r (KB, dimensionless) of an area
// and assessment period.
struct GuideValues {
    double au = 0, ao = 0, ar = 0;
};
GuideValues guideValues(Area area, Period period);
