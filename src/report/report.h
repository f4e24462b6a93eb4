#pragma once

#include "analysis/levels.h"
#include "report/options.h"
#include "session/threads.h"
#include "views/clipboardtext.h"

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The eight fields "Copy All" would show for `record` after the user had
// selected `segment` (clamped into 1..N, swapped when reversed; equal ends
// mean the whole record) and computed its spectrum.
SummaryFields summaryFields(const AnalysedRecord &record, std::optional<RequestedSegment> segment,
                            std::string_view separator,
                            const ThreadPolicy &threads = defaultThreads());

// Where the report writes: whether standard output and standard error are
// terminals, and how long a run lasts before it shows its progress line.
struct ReportTerminal {
    bool outIsTerminal = false;
    bool errIsTerminal = false;
    std::chrono::milliseconds progressAfter{1000};
};

// Runs the command line with `out` as standard output and `err` as standard
// error; returns the exit status (0 all reported, 1 a file could not be read
// or `out` could not be written, 2 bad arguments).
int runReport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
              const ReportTerminal &terminal = {});
