#pragma once

#include "assess/options.h"
#include "views/selection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A segment as given on the command line, before it is fitted to a record.
struct RequestedSegment {
    int64_t start = 0;
    int64_t end = 0;
};

// The segment the window would keep after a drag from START to END: both
// ends clamped into 1..count first; none gives the whole record.
SegmentBounds fitSegment(std::optional<RequestedSegment> segment, int32_t count);

enum class TableFormat { tsv, csv, json };
enum class PictureFormat { png, pdf };

// Everything the command line sets.
struct ReportOptions {
    bool help = false;
    bool version = false;    // given alone
    bool spectrum = false;
    bool quiet = false;      // no progress line
    bool noHeader = false;
    TableFormat format = TableFormat::tsv;
    std::optional<RequestedSegment> segment;
    int64_t jobs = 0;        // files worked on at once; 0: one per core
    std::optional<std::string> plotDir;   // a picture of each record goes here
    std::optional<int64_t> plotScale;         // pictures at this many times the window's size (2)
    std::optional<PictureFormat> plotFormat;  // PNG when not given
    bool force = false;      // pictures and the PDF may replace existing files
    std::optional<std::string> pdf;            // the monitoring report goes here
    std::optional<std::string> title, site;    // of the monitoring report
    std::optional<double> sensitivity;          // counts per m/s of every file
    std::optional<std::string> sensitivities;   // the sensitivity table to read
    std::optional<std::string> channel;   // of miniSEED files, the one channel to report
    bool exceedances = false;             // a row per exceedance instead of the figures
    std::optional<double> threshold;      // dB, of the exceedances (71 when not given)
    std::optional<double> merge;          // seconds: exceedances closer are joined
    std::optional<Standard> assess;       // a row per component and set judged against it
    std::optional<Building> building;     // DIN 4150-3's choices; their defaults when not given
    std::optional<Place> place;
    std::optional<FrequencyMethod> frequency;
    std::optional<Area> area;             // DIN 4150-2's
    std::optional<Period> period;
    std::optional<double> exposure;       // hours; the record's duration when not given
    bool failOnExceeded = false;          // exit status 3 when a verdict is "exceeded"
    std::optional<std::string> inventory; // a StationXML file of sensitivities
    std::vector<std::string> files;   // "-": standard input
};

// One command-line option. `apply` reads the value (empty for an option
// without argument) into the options and returns what was expected when the
// value is wrong, else an empty text.
struct OptionSpec {
    std::string_view name;        // "--segment"
    std::string_view shortName;   // "-h", or empty
    std::string_view argument;    // "START:END"; empty: the option takes no value
    std::string_view help;        // one line for --help
    std::string (*apply)(std::string_view value, ReportOptions &options);
};

// Every option, in the order --help lists them.
const std::vector<OptionSpec> &optionTable();

// The one-line reason when the arguments are wrong ("--segment: expected
// START:END with whole numbers, got \"5\""), without the program's name.
struct ArgumentError {
    std::string message;
};

std::variant<ReportOptions, ArgumentError> parseArguments(const std::vector<std::string> &args);

// The --help text: the usage lines, then one line per option.
std::string helpText();
