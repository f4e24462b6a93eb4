#pragma once

#include "analysis/levels.h"
#include "session/threads.h"
#include "views/clipboardtext.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A segment as given on the command line, before it is fitted to a record.
struct RequestedSegment {
    int64_t start = 0;
    int64_t end = 0;
};

// The eight fields "Copy All" would show for `record` after the user had
// selected `segment` (clamped into 1..N, swapped when reversed; equal ends
// mean the whole record) and computed its spectrum.
SummaryFields summaryFields(const AnalysedRecord &record, std::optional<RequestedSegment> segment,
                            std::string_view separator,
                            const ThreadPolicy &threads = defaultThreads());

// Runs the command line; returns the exit status (0 all reported, 1 a file
// could not be read, 2 bad arguments).
int runReport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
