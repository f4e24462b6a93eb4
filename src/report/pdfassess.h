#pragma once

// The monitoring report with --assess: events are the sets of three
// components and the single components, formed among all the records of
// the run as the assessment's table forms them, but from what the files say
// of their records before any value is read; each event is then read,
// assessed and drawn on its own.

#include "record/recordreader.h"
#include "report/assessinputs.h"
#include "report/assessrecords.h"
#include "report/eventfiles.h"
#include "report/pdfdocument.h"
#include "report/sensitivities.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A record of a file: the file as given or found, its place among the file's records.
struct EventEntry {
    std::string file;
    std::size_t entry = 0;
    std::string label;   // "EHZ", or "" for a file's only record
};

struct AssessedEvent {
    EventKey key;                        // its first member's start, file and record
    std::vector<EventEntry> members;     // a set's Z, N or 1, E or 2; or the one
    std::optional<ComponentSet> set;     // its members 0, 1, 2
    std::optional<std::string> alone;    // why a record is in no set
    int64_t samples = 0;                 // of its members as announced, for the progress line
};

// Every event of `files` in start-time order; files and records that cannot
// be opened, or that the inventory refuses, go to `failures`.
std::vector<AssessedEvent> listAssessedEvents(const std::vector<std::string> &files, const ReadOptions &read,
                                              const RunSensitivities &sensitivities,
                                              std::vector<DocumentFailure> &failures);

// What the summary keeps of an assessed event.
struct AssessSummary {
    std::vector<std::string> cells;      // its row of the summary table
    bool exceeded = false;
    std::optional<double> ratio;         // the largest of its components (DIN 4150-3)
    std::string ratioText;               // as its row prints it
    std::optional<ChartPoint> point;     // its governing point
    std::optional<TimelineEvent> peak;   // its governing peak in time
    std::optional<DocumentFailure> failure;   // a member not assessed, and why
    std::string said;                         // for standard error, as the table says it
    bool paged = false;                       // a member was assessed: it has a page
};

// The summary table's header line for `standard`.
std::vector<std::string> assessSummaryHeaders(Standard standard);

// Reads and assesses the event for its row of the summary.
AssessSummary summariseAssessed(const AssessedEvent &event, const ReadOptions &read, AssessChoices choices);

// Reads and assesses it again for its page: the picture, its rows, and the
// figures and slow level of each record.
DocumentEvent assessedPage(const AssessedEvent &event, const ReadOptions &read, AssessChoices choices);

// The facts above the summary's table: the standard and its choices.
std::vector<std::pair<std::string, std::string>> assessFacts(const AssessChoices &choices);

// The summary of the events assessed, `rows` theirs: the standard and its
// choices, the counts, the chart, the timeline, the table.
DocumentSummary assessedSummary(const std::string &title, const std::string &site, const AssessChoices &choices,
                                const std::vector<AssessedEvent> &events, const std::vector<AssessSummary> &rows,
                                std::size_t failures);

// The texts of an event's assessment, exactly as its rows print them: its
// row of the summary, with its governing point and peak; its rows' main
// columns; its page's heading.
AssessSummary assessSummary(const AssessedEvent &event, const Assessment &assessment, Standard standard);
DocumentTable assessRowsTable(const Assessment &assessment, Standard standard);
std::string assessHeading(const AssessedEvent &event, const std::vector<AssessInput> &inputs);
