#pragma once

// What the monitoring report's PDF holds, as plain figures and texts: the
// report fills these, the picture module lays them out on A4 pages. Texts
// are printed exactly as given, so that a figure reads the same in the PDF
// as in the report's tables.

#include "views/assesschart.h"
#include "views/assessevent.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Printed at the foot of every page.
inline constexpr std::string_view documentNotice = "Screening assessment by software; see the README for its limits";

// A table of texts. Where it runs over a page its header line is printed again.
struct DocumentTable {
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> rows;   // each as many cells as headers
    std::vector<bool> marked;                     // per row: an exceedance, printed marked
};

// The first pages: what the whole run found.
struct DocumentSummary {
    std::string title;                                        // also the PDF's title
    std::string site;                                         // empty: none given
    std::vector<std::pair<std::string, std::string>> facts;   // "Standard", "DIN 4150-3: ..."
    std::optional<StructureChart> chart;     // every event's governing point (DIN 4150-3)
    std::vector<TimelineEvent> timeline;     // every event's governing peak; empty: no timeline
    DocumentTable table;                     // a row per event, or per component of one
};

// The slow level of one record against the perception threshold.
struct LevelTrace {
    std::string channel;
    double rate = 0;                     // samples per second
    std::optional<int64_t> startMicros;  // UTC microseconds since 1970 of the first level
    std::vector<float> level;            // dB per sample, from the first sample on; finite
    double threshold = 71;               // dB, drawn as a line
};

// One event's page.
struct DocumentEvent {
    std::string heading;                    // time, station, channels and file, one line
    std::optional<AssessEvent> assessment;  // its picture, traces kept; none without --assess
    DocumentTable rows;                     // its rows of the assessment
    DocumentTable figures;                  // the record's figures, a row per component
    std::vector<LevelTrace> levels;         // a trace per component
};

// A file that gave no event, and why.
struct DocumentFailure {
    std::string file;     // as given or as found in a folder
    std::string reason;
};

struct DocumentPlan {
    DocumentSummary summary;
    std::size_t events = 0;                 // event pages, after the summary
    std::vector<DocumentFailure> failures;  // listed last
    std::string footer;                     // version, options used, time made
};

// Called once for each event page, in order; the event is drawn and then
// forgotten, so that the document's memory does not grow with their count.
using NextDocumentEvent = std::function<DocumentEvent()>;
