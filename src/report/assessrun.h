#pragma once

// sismavue-report --assess: every file read, sets formed among all their
// records (a miniSEED file's channels, or files given together), each set
// and lone record assessed, the rows printed in the order of their first
// records.

#include "report/assessrecords.h"
#include "report/options.h"
#include "report/pictures.h"
#include "report/progress.h"
#include "report/sensitivities.h"

#include <functional>
#include <iosfwd>
#include <string>

// The assessment's choices as the options give them, their defaults where
// not given; traces kept for pictures with --plot.
AssessChoices assessChoices(const ReportOptions &options, const RunSensitivities &sensitivities);

struct AssessRunEnd {
    bool failed = false;        // a file, record or picture failed
    bool exceeded = false;      // a verdict is "exceeded"
    bool writeFailed = false;   // standard output could not be written
};

// The rows between the table's start and end, written with `write`
// (false when standard output failed); messages go on `err`.
AssessRunEnd reportAssessment(const ReportOptions &options, const RunSensitivities &sensitivities,
                              Pictures *pictures, const std::function<bool(const std::string &)> &write,
                              std::ostream &err, ProgressLine &progress);
