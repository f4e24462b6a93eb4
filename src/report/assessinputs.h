#pragma once

// The records of files given together, read and grouped for assessment:
// the components of one station form a set whether they come from one
// miniSEED file or from files of one channel each; the others are judged
// alone. Standard library and core only.

#include "record/recordreader.h"
#include "report/assessrecords.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One record of a file, or a file (or channel) that could not be read.
struct AssessInput {
    std::string file;     // the path as given
    std::string label;    // what tells it from the file's other records ("EHZ"), "" for a file's only one
    std::string tag;      // the same for a picture's name
    RecordInfo info;      // codes and rate; empty when the file could not be opened
    std::optional<Record> record;   // none when it could not be read
    std::optional<LoadError> error; // why it could not be read
};

// Why a record of the channel `info` names is not to be read, or none.
using EntryRefusal = std::function<std::optional<std::string>(const RecordInfo &info)>;

// Every record of the file at `path` ("-": standard input), in file order;
// a file that cannot be opened gives one input with its error, and so does
// a record `refusal` refuses, unread. A record too large for the memory
// left fails alone.
std::vector<AssessInput> readAssessInputs(const std::string &path, const ReadOptions &options,
                                          const EntryRefusal &refusal = {});

// What is assessed together: the three records of a set, or one record.
struct AssessGroup {
    std::vector<std::size_t> members;   // into the inputs: a set's Z, N or 1, E or 2; or the one
    std::optional<ComponentSet> set;    // its members index the inputs
    // Of a record read but in no set: why; none for the run's only record.
    std::optional<std::string> alone;
};

// The groups of `inputs`, each in the place of its first record; inputs
// not read stand alone.
std::vector<AssessGroup> groupInputs(std::span<const AssessInput> inputs);

// The assessment of one group (an input not read gives its failed row).
Assessment assessGroup(const AssessGroup &group, std::span<const AssessInput> inputs,
                       const AssessChoices &choices);

// Files given together, read, grouped and assessed on the caller's
// thread: the groups' assessments in the order of their first records,
// with their rows' figures; the inputs with their samples dropped.
struct AssessedFiles {
    std::vector<AssessInput> inputs;
    std::vector<AssessGroup> groups;
    std::vector<Assessment> assessments;   // one per group
};
AssessedFiles assessFiles(std::span<const std::string> paths, const AssessChoices &choices,
                          const ReadOptions &options);
