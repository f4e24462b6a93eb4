#include "report/report.h"

#include "analysis/loadrecord.h"
#include "session/threads.h"
#include "session/numbertext.h"
#include "spectrum/segmentspectrum.h"
#include "views/selection.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <new>
#include <ostream>
#include <system_error>
#include <thread>
#include <utility>

namespace {

const char usage[] =
    "usage: sismavue-report [--segment START:END] [--jobs N] FILE...\n"
    "       sismavue-report --spectrum [--segment START:END] FILE\n"
    "\n"
    "Prints, for each PSN text event file, the figures the window shows: a header\n"
    "line, then per file the path, station code, component name, start and end\n"
    "sample, max peak and RMS (um/s), Law,max,Slow (dB) and the frequency of the\n"
    "spectrum's largest line (Hz), separated by TABs.\n"
    "\n"
    "  --segment START:END  analyse samples START..END (clamped into 1..N)\n"
    "  --spectrum           print the segment's spectrum instead (one file)\n"
    "  --jobs N             work with at most N threads, on at most N files at once\n"
    "                       (default: one per core)\n"
    "  --help               print this text\n"
    "  --version            print the program's name and version\n"
    "\n"
    "Exit status: 0 when every file was reported, 1 when a file could not be\n"
    "read (reported on standard error), 2 for bad arguments.\n";

struct Options {
    bool spectrum = false;
    std::optional<RequestedSegment> segment;
    int64_t jobs = 0;   // files worked on at once; 0: one per core
    std::vector<std::string> files;
};

bool parseInteger(std::string_view text, int64_t &value)
{
    if (text.empty())
        return false;
    if (text.front() == '+')
        text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseSegment(std::string_view text, RequestedSegment &segment)
{
    const auto colon = text.find(':');
    return colon != std::string_view::npos && parseInteger(text.substr(0, colon), segment.start) &&
           parseInteger(text.substr(colon + 1), segment.end);
}

// The value of an option given as "--name VALUE" or "--name=VALUE"; false
// when arg is not that option. Sets `missing` when VALUE is absent.
bool optionValue(const std::vector<std::string> &args, size_t &i, std::string_view name,
                 std::string &value, bool &missing)
{
    const std::string &arg = args[i];
    if (arg == name) {
        missing = ++i == args.size();
        if (!missing)
            value = args[i];
        return true;
    }
    if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

// Returns false on bad arguments.
bool parseArguments(const std::vector<std::string> &args, Options &options, bool &help)
{
    bool optionsEnd = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        std::string value;
        bool missing = false;
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--spectrum") {
            options.spectrum = true;
        } else if (optionValue(args, i, "--segment", value, missing)) {
            RequestedSegment segment;
            if (missing || options.segment || !parseSegment(value, segment))
                return false;
            options.segment = segment;
        } else if (optionValue(args, i, "--jobs", value, missing)) {
            if (missing || options.jobs != 0 || !parseInteger(value, options.jobs) ||
                options.jobs < 1)
                return false;
        } else {
            return false;
        }
    }
    if (help)
        return true;
    return options.spectrum ? options.files.size() == 1 : !options.files.empty();
}

// The segment the window would keep after a drag from START to END: both
// ends clamped into 1..N first.
SegmentBounds fitSegment(std::optional<RequestedSegment> segment, int32_t count)
{
    if (!segment)
        return {0, count, false};
    const auto clamp = [count](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 1, count)); };
    return selectSegment(clamp(segment->start), clamp(segment->end), count);
}

// One file's row, or its error message.
struct Outcome {
    bool ok = false;
    std::string text;
};

Outcome analyseFile(const std::string &path, const Options &options)
{
    LoadResult loaded = loadRecord(path);
    if (const auto *error = std::get_if<LoadError>(&loaded))
        return {false, "sismavue-report: " + error->message() + "\n"};
    const AnalysedRecord &record = std::get<AnalysedRecord>(loaded);
    if (options.spectrum) {
        const SegmentBounds b = fitSegment(options.segment, record.sampleCount);
        const SegmentSpectrum spectrum = segmentSpectrum(record.samples, b.start, b.end);
        return {true, copySpectrumText(spectrum.lines, record.sampleRate, '.', "\n")};
    }
    return {true, path + '\t' + summaryRow(summaryFields(record, options.segment, '.')) + '\n'};
}

// A record too large for the memory left fails like an unreadable file,
// without taking the other files down with it.
Outcome reportFile(const std::string &path, const Options &options)
{
    try {
        return analyseFile(path, options);
    } catch (const std::bad_alloc &) {
        return {false, "sismavue-report: " + LoadError{path, 0, "the record does not fit in memory"}.message() + "\n"};
    }
}

// Works with at most options.jobs threads (one per core when not given): on
// several files at once with one thread each, or on a lone file with the
// helper threads of the reader, the analysis and the spectrum; rows come out
// in the order given.
bool reportAll(const Options &options, std::ostream &out, std::ostream &err)
{
    const size_t count = options.files.size();
    std::vector<Outcome> outcomes(count);
    std::vector<bool> done(count, false);
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<size_t> next{0};

    const int64_t jobs =
        options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    const size_t workers = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), jobs));
    const auto work = [&] {
        // Several files at once already keep the cores busy, and one job
        // means one thread.
        std::optional<NoHelperThread> oneThreadPerFile;
        if (workers > 1 || jobs == 1)
            oneThreadPerFile.emplace();
        for (size_t i; (i = next++) < count;) {
            Outcome outcome = reportFile(options.files[i], options);
            std::lock_guard lock(mutex);
            outcomes[i] = std::move(outcome);
            done[i] = true;
            ready.notify_all();
        }
    };
    std::vector<std::jthread> threads;
    try {
        for (size_t w = 0; w < workers; ++w)
            threads.emplace_back(work);
    } catch (const std::system_error &) {
        // The system gives no more threads: those started share the files.
        if (threads.empty())
            threads.emplace_back(work);
    }

    bool allOk = true;
    for (size_t i = 0; i < count; ++i) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return done[i]; });
        Outcome outcome = std::move(outcomes[i]);
        lock.unlock();
        (outcome.ok ? out : err) << outcome.text << std::flush;
        allOk = allOk && outcome.ok;
    }
    return allOk;
}

} // namespace

SummaryFields summaryFields(const AnalysedRecord &record, std::optional<RequestedSegment> segment,
                            char separator)
{
    const SegmentBounds b = fitSegment(segment, record.sampleCount);
    const Figures figures =
        b.hasSegment ? segmentFigures(record.samples, record.slowLevel, b.start, b.end)
                     : record.figures;
    const SegmentSpectrum spectrum = segmentSpectrum(record.samples, b.start, b.end);

    SummaryFields f;
    f.label = record.stationCode;
    f.id = record.componentName;
    // After a load without a segment the start box holds the text "0".
    f.start = b.hasSegment ? integerText(b.start) : "0";
    f.end = integerText(b.end);
    f.maxPeak = format2(figures.peak * 1000000, separator);
    f.rms = format2(figures.rms * 1000000, separator);
    f.law = format2(figures.lawMaxSlow, separator);
    f.freqMax = format2(lineFrequency(spectrum.peakLine, record.sampleRate), separator);
    return f;
}

int runReport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    Options options;
    bool help = false;
    if (!parseArguments(args, options, help)) {
        err << usage;
        return 2;
    }
    if (help) {
        out << usage;
        return 0;
    }
    if (!options.spectrum)
        out << "File\tLabel\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max\n";
    return reportAll(options, out, err) ? 0 : 1;
}
