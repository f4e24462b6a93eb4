#pragma once

// Geometry of the assessment picture: where its parts lie, the waveform
// strips of the band-limited velocity and the KB_F traces, on a time axis
// shared by all of them. Coordinates are the painter's, y downwards.

#include "views/assessevent.h"
#include "views/envelope.h"
#include "views/plotframe.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The picture of an event, top to bottom: a title line, the verdict in
// large type (1.5 lines), the strips, the chart or the KB_F traces, and a
// line of small print.
struct PictureLayout {
    PlotRect title, verdict, strips, lower, note;
};
PictureLayout pictureLayout(const PlotRect &area, const FontUnits &font);

struct WaveStrip {
    AxisFrame frame;
    std::string name;     // channel code, written at the plot's top left
    TraceShape trace;     // mm/s
    PlotLabel peak;       // at the peak's sample and signed value: "6.01 mm/s"
};

struct WaveStrips {
    std::vector<WaveStrip> strips;        // top to bottom; only the last has x labels
    // A set's peak vector sum: a line through every strip at its sample,
    // labelled above the first ("PVS 7.12 mm/s").
    std::optional<PlotSegment> vectorSumLine;
    std::optional<PlotLabel> vectorSumLabel;
};

// One strip per component in `area`, all with one symmetric mm/s scale
// reaching past the largest peak. Traces become bands of one column per
// 1 / columnsPerUnit painter units (a device column), see traceShape.
WaveStrips waveStrips(const AssessEvent &event, const PlotRect &area, const FontUnits &font,
                      double columnsPerUnit, std::string_view separator);

// A guide value as a horizontal line across the plot, labelled at its
// right end ("A_u 0.150").
struct LevelLine {
    PlotSegment line;
    PlotLabel label;
};

struct PeopleTraces {
    AxisFrame frame;                  // caption: A_r, KB_FTr, guide values above the scale
    std::vector<TraceShape> traces;   // KB_F, one per component, in order
    std::vector<std::string> names;   // their channel codes
    std::vector<LevelLine> levels;    // A_u, then A_o where it lies within the scale
};

// KB_F of every component that has one against the time axis of the strips.
PeopleTraces peopleTraces(const AssessEvent &event, const PlotRect &area, const FontUnits &font,
                          double columnsPerUnit, std::string_view separator);
