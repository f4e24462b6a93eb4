#pragma once

// What the assessment pictures draw of one event: a set of three
// components or a single one, with the figures the assessment gave and the
// traces it kept. A plain value: the report, the window and the monitoring
// report fill it from the assessment's results and hand it to the drawing.

#include "assess/options.h"
#include "assess/people.h"
#include "assess/structures.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct EventChannel {
    std::string channel;                 // channel code, "HHZ"
    double rate = 0;                     // samples per second
    std::optional<int64_t> startMicros;  // the first sample assessed, UTC microseconds since 1970
    // Without a start time: the first sample assessed in seconds after the
    // record's first (a segment's start), where the time axis begins.
    double startSeconds = 0;
};

struct EventComponent {
    EventChannel channel;
    // DIN 4150-3 figures of the component, its band-limited velocity kept
    // (keepTrace): the strips of both standards draw it, the chart its point.
    StructureResult structure;
    std::optional<PeopleResult> people;   // DIN 4150-2, KB_F kept; none for DIN 4150-3
};

struct VectorSum {
    double pvs = 0;        // mm/s
    int64_t index = 0;     // its sample, counted from the first sample assessed
};

struct AssessEvent {
    std::string station;        // as the title shows it, "GE.STA.00"
    Standard standard = Standard::Din4150_3;
    StructureOptions structureOptions;
    PeopleOptions peopleOptions;
    std::vector<EventComponent> components;   // one, or the three of a set (of equal length)
    std::optional<VectorSum> vectorSum;       // a set's peak vector sum (DIN 4150-3)
    // The component whose verdict is the event's (largest ratio, or largest
    // KB_Fmax); none when no component has a guideline value.
    std::optional<int> governing;
    Verdict verdict = Verdict::NoGuideline;
};

// Events from the assessment's results, taken over with their traces. The
// channels are in the order of the results.
AssessEvent structureEvent(std::string station, const std::vector<EventChannel> &channels,
                           StructureSetResult &&set, const StructureOptions &options);
AssessEvent structureEvent(std::string station, const EventChannel &channel, StructureResult &&result,
                           const StructureOptions &options);
// DIN 4150-2 pictures also draw the band-limited velocity: `velocity` is
// the DIN 4150-3 assessment of the same samples with its traces kept.
AssessEvent peopleEvent(std::string station, const std::vector<EventChannel> &channels,
                        StructureSetResult &&velocity, PeopleSetResult &&people, const PeopleOptions &options);
AssessEvent peopleEvent(std::string station, const EventChannel &channel, StructureResult &&velocity,
                        PeopleResult &&people, const PeopleOptions &options);

// The governing component, or nullptr.
const EventComponent *governingComponent(const AssessEvent &event);
