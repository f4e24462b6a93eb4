#pragma once

// The records of files given together, grouped for assessment and read:
// the components of one station form a set whether they come from one
// miniSEED file or from files of one channel each; the others are judged
// alone. Sets are formed from what the files say of their records, so that
// each group can then be read and assessed alone. Standard library and core
// only.

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
    int64_t sampleCount = 0;        // announced, or once read, read
    std::size_t entry = 0;          // its place among the file's records
    std::optional<Record> record;   // none when not read yet, or when it could not be read
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

// The same, each record as the file announces it, its values not read;
// "-" is a file of that name.
std::vector<AssessInput> listAssessInputs(const std::string &path, const ReadOptions &options,
                                          const EntryRefusal &refusal = {});

// Reads the values of `inputs` that hold none and no error, those of one
// file following each other from one opening of it; one that cannot be
// read gets its error.
void readListed(std::span<AssessInput> inputs, const ReadOptions &options);

// What is assessed together: the three records of a set, or one record.
struct AssessGroup {
    std::vector<std::size_t> members;   // into the inputs: a set's Z, N or 1, E or 2; or the one
    std::optional<ComponentSet> set;    // its members index the inputs
    // Of a record read but in no set: why; none for the run's only record.
    std::optional<std::string> alone;
};

// The groups of `inputs`, each in the place of its first record, formed
// from their info and sample counts, read or not; inputs with an error
// stand alone.
std::vector<AssessGroup> groupInputs(std::span<const AssessInput> inputs);

// The assessment of one group (an input not read gives its failed row).
Assessment assessGroup(const AssessGroup &group, std::span<const AssessInput> inputs,
                       const AssessChoices &choices);

// The group's members, taken from `inputs` (a record already read moved
// out of it) and read.
std::vector<AssessInput> readGroup(const AssessGroup &group, std::span<AssessInput> inputs,
                                   const ReadOptions &options);

// The assessment of a group whose members are `members`, in its order, as
// readGroup gives them; of a set a member of which could not be read, each
// member's alone (the one not read with its reason), its messages naming
// the member.
Assessment assessMembers(const AssessGroup &group, std::span<const AssessInput> members,
                         const AssessChoices &choices);

// What standard error says of a group read and assessed, `members` as
// readGroup gives them: what the reader noticed of each, why a record is in
// no set, the assessment's refusals and warnings. One line each,
// "sismavue-report: FILE: EHZ: ...".
std::string assessSaid(const AssessGroup &group, std::span<const AssessInput> members, const Assessment &assessment);
