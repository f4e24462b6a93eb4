#pragma once

// The assessment window's figures: the records of its files, the set of
// three components the shown record belongs to (or the record alone), and
// the events of both standards made of them, with the traces kept for the
// pictures. Plain functions of their data, run on a helper thread.

#include "assess/people.h"
#include "assess/structures.h"
#include "record/recordreader.h"
#include "views/assessevent.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A file of the assessment with the values of every record it lists.
struct AssessFile {
    std::string path;
    std::vector<RecordEntry> entries;   // as openRecord lists them
    std::vector<ReadResult> values;     // of each entry: its record, or why it cannot be read
    std::optional<LoadError> problem;   // the file cannot be opened; no entries then
};

AssessFile readAssessFile(const std::string &path, const ReadOptions &options);

// A record of the files: the file's index, the entry's index in it.
struct RecordAt {
    std::size_t file = 0, entry = 0;
    bool operator==(const RecordAt &) const = default;
};

// "GE.STA.00": network, station and location, those that are given.
std::string stationText(const RecordInfo &info);

struct AssessChoices {
    StructureOptions structure;
    PeopleOptions people;
    // Of the shown record: its samples first..last, counted from 1, both
    // included; none for the whole record.
    std::optional<std::pair<int64_t, int64_t>> segment;
};

struct AssessFigures {
    AssessEvent structure;           // DIN 4150-3
    AssessEvent people;              // DIN 4150-2
    std::vector<RecordAt> members;   // the events' components, in their order
    // What the person should know: why the record is assessed alone, the
    // records whose values are no velocity, the results' notes and warnings.
    std::vector<std::string> notes;
    std::optional<std::string> error;         // nothing could be assessed, and why
    std::optional<std::string> peopleError;   // DIN 4150-2 could not be assessed, and why
};

// The shown record's set (the first the grouping makes of every readable
// record, in file and entry order), else the record alone, over the span
// common to the set and the segment; each component's traces kept.
AssessFigures assessFigures(std::span<const std::shared_ptr<const AssessFile>> files, RecordAt shown,
                            const AssessChoices &choices);
