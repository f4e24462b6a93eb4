#pragma once

#include "analysis/levels.h"
#include "record/loaderror.h"
#include "report/options.h"
#include "report/plot.h"
#include "report/sensitivities.h"
#include "session/threads.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the report's messages start with.
inline constexpr std::string_view messagePrefix = "sismavue-report: ";

// One file's output: its rows (or their places in a JSON array) for
// standard output, its error messages and warnings for standard error.
struct Outcome {
    bool ok = false;
    std::string row;
    std::string message;
    int64_t samples = 0;   // samples analysed, for the progress line
    std::vector<PlotRecord> plots;   // with --plot: the records, to be drawn
    bool badArguments = false;       // --spectrum on a file of several channels
};

// Reads and analyses the file at `path` ("-": standard input): a row per
// record it holds (per channel, or piece of one), in file order; with
// --plot the records go on, to be drawn as the window shows them. `last`:
// the file is the last one given. A record too large for the memory left
// fails like an unreadable file, without taking the other files down with it.
Outcome reportFile(const std::string &path, const ReportOptions &options, bool last,
                   const ThreadPolicy &threads, const RunSensitivities &sensitivities);
