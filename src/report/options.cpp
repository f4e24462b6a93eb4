#include "report/options.h"

#include "report/escape.h"
#include "report/pdfreport.h"
#include "settings/sensitivitytable.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace {

bool parseInteger(std::string_view text, int64_t &value)
{
    if (text.empty())
        return false;
    if (text.front() == '+')
        text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string applySegment(std::string_view value, ReportOptions &options)
{
    RequestedSegment segment;
    const auto colon = value.find(':');
    if (colon == std::string_view::npos || !parseInteger(value.substr(0, colon), segment.start) ||
        !parseInteger(value.substr(colon + 1), segment.end))
        return "expected START:END with whole numbers";
    options.segment = segment;
    return {};
}

std::string applyFormat(std::string_view value, ReportOptions &options)
{
    if (value == "tsv")
        options.format = TableFormat::tsv;
    else if (value == "csv")
        options.format = TableFormat::csv;
    else if (value == "json")
        options.format = TableFormat::json;
    else
        return "expected tsv, csv or json";
    return {};
}

std::string applyJobs(std::string_view value, ReportOptions &options)
{
    if (!parseInteger(value, options.jobs) || options.jobs < 1)
        return "expected a whole number of at least 1";
    return {};
}

std::string applyPlot(std::string_view value, ReportOptions &options)
{
    if (value.empty())
        return "expected a folder";
    options.plotDir = std::string(value);
    return {};
}

std::string applyPlotScale(std::string_view value, ReportOptions &options)
{
    int64_t scale = 0;
    if (!parseInteger(value, scale) || scale < 1 || scale > 4)
        return "expected a whole number from 1 to 4";
    options.plotScale = scale;
    return {};
}

std::string applyPlotFormat(std::string_view value, ReportOptions &options)
{
    if (value == "png")
        options.plotFormat = PictureFormat::png;
    else if (value == "pdf")
        options.plotFormat = PictureFormat::pdf;
    else
        return "expected png or pdf";
    return {};
}

std::string applySensitivity(std::string_view value, ReportOptions &options)
{
    options.sensitivity = parseSensitivity(value);
    return options.sensitivity ? std::string() : "expected a number of counts per m/s above 0";
}

std::string applySensitivities(std::string_view value, ReportOptions &options)
{
    if (value.empty())
        return "expected a file";
    options.sensitivities = std::string(value);
    return {};
}

std::string applyChannel(std::string_view value, ReportOptions &options)
{
    if (value.empty())
        return "expected a channel code";
    options.channel = std::string(value);
    return {};
}

// A finite number in [low, high].
std::optional<double> parseNumber(std::string_view text, double low, double high)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !(value >= low && value <= high))
        return std::nullopt;
    return value;
}

std::string applyThreshold(std::string_view value, ReportOptions &options)
{
    options.threshold = parseNumber(value, -1000, 1000);
    return options.threshold ? std::string() : "expected a level in dB from -1000 to 1000";
}

std::string applyMerge(std::string_view value, ReportOptions &options)
{
    options.merge = parseNumber(value, 0, 1e9);
    return options.merge ? std::string() : "expected a number of seconds, 0 or more";
}

const std::vector<OptionSpec> table = {
    {"--segment", "", "START:END", "analyse samples START to END (each clamped into 1..N)", applySegment},
    {"--spectrum", "", "", "print the segment's spectrum instead of the table (one FILE)",
     [](std::string_view, ReportOptions &o) { o.spectrum = true; return std::string(); }},
    {"--format", "", "tsv|csv|json", "write the table as TSV (the default), CSV or JSON", applyFormat},
    {"--no-header", "", "", "leave out the header line",
     [](std::string_view, ReportOptions &o) { o.noHeader = true; return std::string(); }},
    {"--quiet", "", "", "show no progress line on a terminal",
     [](std::string_view, ReportOptions &o) { o.quiet = true; return std::string(); }},
    {"--channel", "", "CODE", "of each miniSEED file, report channel CODE alone (EHZ, or NET.STA.LOC.CHA)",
     applyChannel},
    {"--sensitivity", "", "S", "take the values as counts, S of them per m/s, in every FILE", applySensitivity},
    {"--sensitivities", "", "FILE", "read the sensitivity table from FILE instead of the user's", applySensitivities},
    {"--exceedances", "", "", "print a row per exceedance of the slow level instead of the figures",
     [](std::string_view, ReportOptions &o) { o.exceedances = true; return std::string(); }},
    {"--threshold", "", "DB", "exceedances are levels strictly above DB (default 71)", applyThreshold},
    {"--merge", "", "SECONDS", "join exceedances less than SECONDS apart", applyMerge},
    {"--jobs", "", "N", "work with at most N threads (default: one per core)", applyJobs},
    {"--plot", "", "DIR", "also write a picture of each record, as the window shows it, into DIR", applyPlot},
    {"--plot-scale", "", "N", "pictures at N times the window's size, 1 to 4 (default 2)", applyPlotScale},
    {"--plot-format", "", "png|pdf", "pictures as PNG (the default) or PDF", applyPlotFormat},
    {"--pdf", "", "FILE", "write a monitoring report of every event into FILE instead of the table",
     [](std::string_view v, ReportOptions &o) { return v.empty() ? "expected a file" : (o.pdf = v, std::string()); }},
    {"--title", "", "TEXT", "the monitoring report's title", [](std::string_view v, ReportOptions &o) { return o.title = v, std::string(); }},
    {"--site", "", "TEXT", "the monitoring report's site", [](std::string_view v, ReportOptions &o) { return o.site = v, std::string(); }},
    {"--force", "", "", "let pictures and the monitoring report replace existing files",
     [](std::string_view, ReportOptions &o) { o.force = true; return std::string(); }},
    {"--help", "-h", "", "print this text",
     [](std::string_view, ReportOptions &o) { o.help = true; return std::string(); }},
    {"--version", "", "", "print the program's name and version",
     [](std::string_view, ReportOptions &o) { o.version = true; return std::string(); }},
};

const OptionSpec *findOption(std::string_view name)
{
    const auto it = std::find_if(table.begin(), table.end(), [name](const OptionSpec &spec) {
        return spec.name == name || (!spec.shortName.empty() && spec.shortName == name);
    });
    return it == table.end() ? nullptr : &*it;
}

// Applies the option in args[i] ("--name", "--name VALUE", "--name=VALUE"),
// moving i past its value; returns the error, or an empty text.
std::string applyOption(const std::vector<std::string> &args, size_t &i, std::vector<const OptionSpec *> &seen,
                        ReportOptions &options)
{
    const std::string &arg = args[i];
    const size_t equals = arg.starts_with("--") ? arg.find('=') : std::string::npos;
    const std::string name = arg.substr(0, equals);
    const OptionSpec *spec = findOption(name);
    if (!spec)
        return name + ": unknown option";
    const std::string shown(spec->name);
    std::optional<std::string> value;
    if (equals != std::string::npos)
        value = arg.substr(equals + 1);
    if (spec->argument.empty()) {
        if (value)
            return shown + ": expected no value, got " + jsonString(*value);
    } else {
        if (!value && i + 1 == args.size())
            return shown + ": missing " + std::string(spec->argument);
        if (!value)
            value = args[++i];
        if (std::find(seen.begin(), seen.end(), spec) != seen.end())
            return shown + ": given more than once";
        seen.push_back(spec);
    }
    const std::string expected = spec->apply(value.value_or(""), options);
    return expected.empty() ? expected : shown + ": " + expected + ", got " + jsonString(*value);
}

// The checks that involve more than one argument.
std::string checkTogether(const ReportOptions &options)
{
    if (options.help || options.version)
        return {};
    if (options.spectrum && options.format != TableFormat::tsv)
        return "--format: expected tsv with --spectrum, got " +
               std::string(options.format == TableFormat::csv ? "\"csv\"" : "\"json\"");
    if (options.spectrum && options.files.size() != 1)
        return "--spectrum: expected one FILE, got " +
               (options.files.empty() ? std::string("none") : std::to_string(options.files.size()));
    if (options.files.empty())
        return "missing FILE";
    if (std::count(options.files.begin(), options.files.end(), "-") > 1)
        return "-: given more than once (standard input is read once)";
    if (options.sensitivity && options.sensitivities)
        return "--sensitivities: expected no --sensitivity with it, which holds for every FILE";
    if (options.exceedances && (options.spectrum || options.segment))
        return std::string(options.spectrum ? "--spectrum" : "--segment") +
               ": expected no --exceedances with it, which looks at the whole record";
    if (!options.exceedances && (options.threshold || options.merge))
        return std::string(options.threshold ? "--threshold" : "--merge") + ": expected together with --exceedances";
    if (!options.plotDir) {
        // Given without --plot, these would silently do nothing.
        for (const auto &[given, name] : {std::pair(options.plotScale.has_value(), "--plot-scale"),
                                          std::pair(options.plotFormat.has_value(), "--plot-format"),
                                          std::pair(options.force && !options.pdf, "--force")})
            if (given)
                return std::string(name) + ": expected together with --plot DIR";
    }
    return checkPdfOptions(options);
}

} // namespace

const std::vector<OptionSpec> &optionTable()
{
    return table;
}

std::variant<ReportOptions, ArgumentError> parseArguments(const std::vector<std::string> &args)
{
    ReportOptions options;
    std::vector<const OptionSpec *> seen;
    bool optionsEnd = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        // "-" alone names a file.
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (std::string error = applyOption(args, i, seen, options); !error.empty()) {
            return ArgumentError{error};
        }
    }
    // As in the window, only a command line that is exactly --version asks
    // for it.
    if (options.version && args.size() != 1)
        return ArgumentError{"--version: expected no other argument"};
    if (std::string error = checkTogether(options); !error.empty())
        return ArgumentError{error};
    return options;
}

std::string helpText()
{
    std::string text =
        "usage: sismavue-report [OPTION]... FILE...\n"
        "       sismavue-report --spectrum [OPTION]... FILE\n"
        "       sismavue-report --exceedances [--threshold DB] [--merge SECONDS] [OPTION]... FILE...\n"
        "       sismavue-report --pdf REPORT.pdf [--title TEXT] [--site TEXT] [OPTION]... FILE|DIR...\n"
        "\n"
        "Prints, for each record (PSN text or Type 4 event file, SAC file, miniSEED\n"
        "file; \"-\" reads standard input), the figures the window shows: a header line,\n"
        "then per file, and per channel of a miniSEED file, the path, station code,\n"
        "component name, start and end sample, max peak and RMS (um/s), Law,max,Slow\n"
        "(dB) and the frequency of the spectrum's largest line (Hz), separated by TABs\n"
        "(or as CSV or JSON). Values of counts become m/s with --sensitivity, a line of\n"
        "the sensitivity table (~/.config/sismavue/sensitivities.tsv, or\n"
        "--sensitivities FILE) or the file's own sensitivity; values that cannot be m/s\n"
        "and low sampling rates are warned of on standard error. With --exceedances,\n"
        "a row per run of samples whose slow level is above the threshold instead.\n"
        "\n"
        "Options:\n";
    const auto label = [](const OptionSpec &spec) {
        std::string shown = spec.shortName.empty() ? "    " : std::string(spec.shortName) + ", ";
        shown += spec.name;
        if (!spec.argument.empty()) {
            shown += ' ';
            shown += spec.argument;
        }
        return shown;
    };
    size_t width = 0;
    for (const OptionSpec &spec : table)
        width = std::max(width, label(spec).size());
    for (const OptionSpec &spec : table) {
        const std::string shown = label(spec);
        text += "  " + shown + std::string(width + 2 - shown.size(), ' ') + std::string(spec.help) + "\n";
    }
    text +=
        "\n"
        "Exit status: 0 when every file was reported, 1 when a file could not be\n"
        "read or the output could not be written (reported on standard error),\n"
        "2 for bad arguments.\n";
    return text;
}
