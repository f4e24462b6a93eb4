// The options sismavue-report takes, each with the check of its value.
#include "report/options.h"

#include "settings/sensitivitytable.h"

#include <charconv>
#include <span>
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

// "a, b or c" of the words an option takes.
std::string alternatives(std::span<const std::string_view> names)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + std::string(names[i]);
    return text;
}

// An option that names one of the words of E.
template <class E, std::optional<E> ReportOptions::*field>
std::string applyChoice(std::string_view value, ReportOptions &options)
{
    options.*field = parseOption<E>(value);
    return options.*field ? std::string() : "expected " + alternatives(optionNames(E{}));
}

std::string applyExposure(std::string_view value, ReportOptions &options)
{
    options.exposure = parseNumber(value, 0, 1e6);
    if (options.exposure && *options.exposure > 0)
        return {};
    options.exposure.reset();
    return "expected a number of hours above 0";
}

std::string applyInventory(std::string_view value, ReportOptions &options)
{
    if (value.empty())
        return "expected a file";
    options.inventory = std::string(value);
    return {};
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
    {"--assess", "", "STANDARD", "judge each component and set of three against din4150-3 or din4150-2",
     applyChoice<Standard, &ReportOptions::assess>},
    {"--building", "", "LINE", "DIN 4150-3: commercial, dwelling (the default) or sensitive",
     applyChoice<Building, &ReportOptions::building>},
    {"--place", "", "PLACE", "DIN 4150-3: foundation (the default), top-floor, slab or long-term",
     applyChoice<Place, &ReportOptions::place>},
    {"--frequency", "", "METHOD", "DIN 4150-3: stricter (the default), zero-crossing or spectrum",
     applyChoice<FrequencyMethod, &ReportOptions::frequency>},
    {"--area", "", "AREA", "DIN 4150-2: industrial, commercial, mixed, residential (the default) or special",
     applyChoice<Area, &ReportOptions::area>},
    {"--period", "", "PERIOD", "DIN 4150-2: day (the default, 16 h) or night (8 h)",
     applyChoice<Period, &ReportOptions::period>},
    {"--exposure", "", "HOURS", "DIN 4150-2: the exposure time (default: the record's duration)", applyExposure},
    {"--fail-on-exceeded", "", "", "exit with status 3 when any verdict is \"exceeded\"",
     [](std::string_view, ReportOptions &o) { o.failOnExceeded = true; return std::string(); }},
    {"--inventory", "", "FILE", "take sensitivities from the StationXML FILE, before the table's", applyInventory},
    {"--jobs", "", "N", "work with at most N threads (default: one per core)", applyJobs},
    {"--plot", "", "DIR", "also write a picture of each record as the window shows it (of each set with --assess) into DIR", applyPlot},
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

} // namespace

const std::vector<OptionSpec> &optionTable()
{
    return table;
}
