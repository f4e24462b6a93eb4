#pragma once

#include "analysis/levels.h"
#include "record/loaderror.h"
#include "record/recordreader.h"
#include "report/eventfiles.h"
#include "report/pdfdocument.h"
#include "report/sensitivities.h"
#include "session/threads.h"

#include <functional>
#include <optional>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// An event of the monitoring report: one record of a file.
struct ReportEvent {
    EventKey key;        // its start, the file as given or found, the record's place in it
    std::string label;   // what tells it from the file's other records ("EHZ"), or ""
    int64_t samples = 0; // as its file announces them, for the progress line
};

// Calls `each` with the records `file` holds; a file that cannot be opened
// goes to `failures` instead.
void withEntries(const std::string &file, const ReadOptions &read, std::vector<DocumentFailure> &failures,
                 const std::function<void(const std::vector<RecordEntry> &)> &each);

// The facts of every summary: the period covered by events that start at
// `starts` (those with a time first, in order), their number, and how many
// files or records could not be read.
std::vector<std::pair<std::string, std::string>> countFacts(const std::vector<std::optional<UtcTime>> &starts,
                                                            std::size_t failures);

// Every record of `files` that can be opened, in start-time order; a file
// that cannot be opened, or a record that cannot be read, goes to `failures`.
std::vector<ReportEvent> listEvents(const std::vector<std::string> &files, const ReadOptions &read,
                                    std::vector<DocumentFailure> &failures);

// What the summary keeps of an event once it has been read.
struct EventSummary {
    std::vector<std::string> cells;   // its row of the figures table
    float lawMaxSlow = 0;             // dB
    bool exceeded = false;            // above the perception threshold
    std::optional<DocumentFailure> failure;   // why it could not be read
    std::string said;                         // for standard error
    bool paged = false;                       // read: it has a page
};

// The figures table's header line: when, where, and the window's figures.
std::vector<std::string> figuresHeaders();

// The figures table's row of a record read from `file`.
std::vector<std::string> figuresRow(const std::string &file, const AnalysedRecord &record, const ThreadPolicy &threads);

// The record's slow level from the first sample on, taken from it; the
// silent lead-in, whose level is minus infinity, at the lowest level the
// record reaches.
LevelTrace levelTrace(AnalysedRecord &record);

// The summary of the events read, `rows` theirs: its facts, the table.
DocumentSummary figuresSummary(const std::string &title, const std::string &site,
                               const std::vector<ReportEvent> &events, const std::vector<EventSummary> &rows,
                               std::size_t failures);

// Reads and analyses the event for its row, or the reason it cannot; its
// warnings as the table gives them.
EventSummary summariseEvent(const ReportEvent &event, const ReadOptions &read, const RunSensitivities &sensitivities);

// Reads it again for its page: its row and its slow level.
DocumentEvent figuresPage(const ReportEvent &event, const ReadOptions &read);

// The file and the reason, with the line where it applies.
DocumentFailure documentFailure(const LoadError &error);

// "YYYY-MM-DD HH:MM:SS" in UTC, or "no start time".
std::string eventTime(const std::optional<UtcTime> &start);
