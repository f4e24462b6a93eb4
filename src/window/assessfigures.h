#pragma once

// The assessment window's figures: the records of its files grouped as
// sismavue-report --assess groups the files given to it, and the group of
// the shown record assessed by both standards exactly as the report
// assesses it, so that its rows are the report's; the traces kept for the
// views. Standard library only, run on a helper thread.

#include "report/assessinputs.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

// A record of the files: the file's index, the entry's index in it.
struct RecordAt {
    std::size_t file = 0, entry = 0;
    bool operator==(const RecordAt &) const = default;
};

// The records of the files in one list, as the report lists those of the
// files given to it: each file's as readAssessInputs gives them (one per
// entry openRecord lists, or one that failed), the files in their order.
struct AssessRecords {
    std::vector<AssessInput> inputs;
    std::vector<RecordAt> at;   // of each input
};

// Appends the records of `inputs`, of the file with index `file`.
void addRecords(AssessRecords &records, std::size_t file, std::vector<AssessInput> &&inputs);
// Removes those of the file with index `file`; the later files move up.
void dropRecords(AssessRecords &records, std::size_t file);

struct WindowChoices {
    StructureOptions structure;
    PeopleOptions people;
    // Of the shown record: its samples first..last, counted from 1, both
    // included; none for the whole record.
    std::optional<std::pair<int64_t, int64_t>> segment;
    // Said after why values that look like counts are not assessed.
    std::string countsHint;
};

struct AssessFigures {
    AssessEvent structure;           // DIN 4150-3
    AssessEvent people;              // DIN 4150-2
    std::vector<AssessRow> structureRows, peopleRows;   // as the report prints them
    std::vector<RecordAt> members;   // the group's records, in the order of its rows
    std::vector<std::string> channels;   // their channel codes
    // What the person should know: why the record is assessed alone, the
    // warnings and refusals the report says on standard error.
    std::vector<std::string> notes;
    std::optional<std::string> error;         // nothing could be assessed, and why
    std::optional<std::string> peopleError;   // DIN 4150-2 could not be assessed, and why
};

// The group the shown record is in among all readable records (a set, or the record alone), over the segment.
AssessFigures assessFigures(const AssessRecords &records, RecordAt shown, const WindowChoices &choices);
