#pragma once

// One event's assessment from records already read: a set of three
// components, or a single one. The report makes each of its sets and lone
// records with these; anything else that has read records (a monitoring
// report of many events) can do the same and get the same rows and
// pictures.

#include "assess/componentsets.h"
#include "assess/options.h"
#include "assess/people.h"
#include "assess/structures.h"
#include "record/record.h"
#include "report/assesstable.h"
#include "report/options.h"
#include "views/assessevent.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct AssessChoices {
    Standard standard = Standard::Din4150_3;
    StructureOptions structure;
    PeopleOptions people;
    // Samples START to END of each record (of a set's common span), as
    // --segment selects them; none: all.
    std::optional<RequestedSegment> segment;
    bool picture = false;     // keep the traces and make the event to draw
    // Said after why values that look like counts are not assessed: how to
    // give their sensitivity.
    std::string countsHint;
};

// A record to assess and what its row says beside the figures.
struct AssessRecord {
    std::string file;               // the path as given
    const Record *record = nullptr;
    std::vector<std::string> notes; // why it is in no set
};

// What stands on standard error: a reason a component was not assessed, or
// a warning about its figures.
struct AssessMessage {
    std::size_t member = 0;   // of the records given
    bool warning = false;
    std::string text;
};

// The figures behind a row, for those who lay them out themselves; the
// traces are left out.
struct SetFigures {
    std::optional<double> pvs;       // mm/s, DIN 4150-3
    std::optional<double> pvsTime;   // s after the first component's start
    std::optional<int> governing;    // of the set's three components
    Verdict verdict = Verdict::NoGuideline;
};
struct RowFigures {
    std::vector<AssessSource> sources;       // the component's, or the set's three
    std::optional<StructureResult> structure;   // a DIN 4150-3 component
    std::optional<PeopleResult> people;         // a DIN 4150-2 component
    std::optional<SetFigures> set;              // a set
    std::optional<std::string> error;           // why the component was not assessed
};

struct Assessment {
    std::vector<AssessRow> rows;        // a row per component, then the set's
    std::vector<RowFigures> figures;    // one per row, in the same order
    // With choices.picture: what the pictures draw, one for the set or each
    // component assessed alone.
    std::vector<AssessEvent> events;
    std::vector<AssessMessage> messages;
    bool failed = false;                // a component could not be assessed
    bool exceeded = false;              // a row's verdict is "exceeded"
};

// Why the values of `record` cannot be taken as m/s: the file's own
// numbers with no sensitivity, or a largest value of 1 or more. None when
// they can.
std::optional<std::string> countsReason(const Record &record);

// How to give the sensitivity of values that look like counts, naming the
// sensitivity table `tableName` (none given: empty).
std::string countsHint(const std::string &tableName);

// A single component.
Assessment assessSingle(const AssessRecord &record, const AssessChoices &choices);

// The three records of `set`, records[k] its member k (Z, then N or 1, then
// E or 2, as groupComponents orders them), over its common span. A member
// that cannot be assessed leaves the others to be assessed alone.
Assessment assessSet(const std::array<AssessRecord, 3> &records, const ComponentSet &set,
                        const AssessChoices &choices);

// "NET.STA.LOC" of the codes the record has ("BGLD" of a record with a
// station code alone), as the picture's title names it.
std::string stationTitle(const RecordInfo &info);
