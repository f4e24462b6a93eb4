#include "report/options.h"

#include "report/escape.h"
#include "report/pdfreport.h"

#include <algorithm>
#include <tuple>

namespace {

const OptionSpec *findOption(std::string_view name)
{
    const std::vector<OptionSpec> &table = optionTable();
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

// The assessment's options: each standard's own only with it, and no
// other kind of row beside its rows.
std::string checkAssess(const ReportOptions &options)
{
    if (options.assess && (options.spectrum || options.exceedances))
        return std::string(options.spectrum ? "--spectrum" : "--exceedances") +
               ": expected no --assess with it, which prints the assessment's rows instead";
    constexpr Standard three = Standard::Din4150_3, two = Standard::Din4150_2;
    for (const auto &[given, name, standard] : {std::tuple(options.building.has_value(), "--building", three),
                                                std::tuple(options.place.has_value(), "--place", three),
                                                std::tuple(options.frequency.has_value(), "--frequency", three),
                                                std::tuple(options.area.has_value(), "--area", two),
                                                std::tuple(options.period.has_value(), "--period", two),
                                                std::tuple(options.exposure.has_value(), "--exposure", two)})
        if (given && options.assess != standard)
            return std::string(name) + ": expected together with --assess " + std::string(optionName(standard));
    if (options.failOnExceeded && !options.assess)
        return "--fail-on-exceeded: expected together with --assess";
    if (options.inventory && options.sensitivity)
        return "--inventory: expected no --sensitivity with it, which holds for every FILE";
    return {};
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
    if (std::string error = checkAssess(options); !error.empty())
        return error;
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

SegmentBounds fitSegment(std::optional<RequestedSegment> segment, int32_t count)
{
    if (!segment)
        return {0, count, false};
    const auto clamp = [count](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 1, count)); };
    return selectSegment(clamp(segment->start), clamp(segment->end), count);
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
        "       sismavue-report --assess din4150-3 [--building LINE] [--place PLACE]\n"
        "                       [--frequency METHOD] [--fail-on-exceeded] [OPTION]... FILE...\n"
        "       sismavue-report --assess din4150-2 [--area AREA] [--period PERIOD]\n"
        "                       [--exposure HOURS] [--fail-on-exceeded] [OPTION]... FILE...\n"
        "       sismavue-report --pdf REPORT.pdf [--title TEXT] [--site TEXT] [--assess ...] FILE|DIR...\n"
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
        "With --assess, a row per component and per set of three components (one\n"
        "miniSEED file's channels, or files given together) judged against DIN 4150-3\n"
        "(buildings) or DIN 4150-2 (people in buildings): a screening assessment by\n"
        "software; DIN 45669-1 also sets requirements for the measuring instrument.\n"
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
    const std::vector<OptionSpec> &table = optionTable();
    for (const OptionSpec &spec : table)
        width = std::max(width, label(spec).size());
    for (const OptionSpec &spec : table) {
        const std::string shown = label(spec);
        text += "  " + shown + std::string(width + 2 - shown.size(), ' ') + std::string(spec.help) + "\n";
    }
    text +=
        "\n"
        "Exit status: 0 when every file was reported, 1 when a file could not be\n"
        "read, a record could not be assessed or the output could not be written\n"
        "(reported on standard error), 2 for bad arguments. With --fail-on-exceeded,\n"
        "3 when any verdict is \"exceeded\", even when a file failed as well: an\n"
        "exceedance is never hidden behind a file that could not be read.\n";
    return text;
}
