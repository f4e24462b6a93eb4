#include "report/report.h"

#include "analysis/loadrecord.h"
#include "report/progress.h"
#include "report/table.h"
#include "session/numbertext.h"
#include "session/threads.h"
#include "spectrum/segmentspectrum.h"
#include "views/selection.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <ostream>
#include <system_error>
#include <thread>
#include <utility>

namespace {

const std::string program = "sismavue-report: ";

// The segment the window would keep after a drag from START to END: both
// ends clamped into 1..N first.
SegmentBounds fitSegment(std::optional<RequestedSegment> segment, int32_t count)
{
    if (!segment)
        return {0, count, false};
    const auto clamp = [count](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 1, count)); };
    return selectSegment(clamp(segment->start), clamp(segment->end), count);
}

// One file's output: its row (or its place in a JSON array) for standard
// output, its error message for standard error.
struct Outcome {
    bool ok = false;
    std::string row;
    std::string message;
    int64_t samples = 0;   // samples analysed, for the progress line
};

Outcome failure(const LoadError &error, const ReportOptions &options, bool last)
{
    const std::string place = options.spectrum ? "" : tableError(options.format, error, last);
    return {false, place, program + error.message() + "\n", 0};
}

// `last`: the file is the last one given.
Outcome analyseFile(const std::string &path, const ReportOptions &options, bool last)
{
    LoadResult loaded = loadRecord(path);
    if (const auto *error = std::get_if<LoadError>(&loaded))
        return failure(*error, options, last);
    const AnalysedRecord &record = std::get<AnalysedRecord>(loaded);
    if (options.spectrum) {
        const SegmentBounds b = fitSegment(options.segment, record.sampleCount);
        const SegmentSpectrum spectrum = segmentSpectrum(record.samples, b.start, b.end);
        std::string text = copySpectrumText(spectrum.lines, record.sampleRate, '.', "\n");
        if (options.noHeader)
            text.erase(0, text.find('\n') + 1);
        return {true, std::move(text), {}, record.sampleCount};
    }
    const ReportRow row{path, summaryFields(record, options.segment, '.'), record.sampleRate,
                        record.sampleCount, std::nullopt};
    return {true, tableRow(options.format, row, last), {}, record.sampleCount};
}

// A record too large for the memory left fails like an unreadable file,
// without taking the other files down with it.
Outcome reportFile(const std::string &path, const ReportOptions &options, bool last)
{
    try {
        return analyseFile(path, options, last);
    } catch (const std::bad_alloc &) {
        return failure(LoadError{path, 0, "the record does not fit in memory"}, options, last);
    }
}

// Writes and flushes standard output. A write that fails (a full disk, a
// closed pipe) is said on err; returns false then.
bool writeOut(std::ostream &out, std::ostream &err, ProgressLine &progress, const std::string &text)
{
    errno = 0;
    out << text << std::flush;
    if (out)
        return true;
    const int error = errno;
    progress.clear();
    err << program << "standard output: " << (error != 0 ? std::strerror(error) : "write error") << "\n"
        << std::flush;
    return false;
}

enum class Run { allReported, fileFailed, writeFailed };

// Works with at most options.jobs threads (one per core when not given): on
// several files at once with one thread each, or on a lone file with the
// helper threads of the reader, the analysis and the spectrum; rows come out
// in the order given, and the work stops when they cannot be written.
Run reportAll(const ReportOptions &options, std::ostream &out, std::ostream &err, ProgressLine &progress,
              bool outIsTerminal)
{
    const size_t count = options.files.size();
    std::vector<Outcome> outcomes(count);
    std::vector<bool> done(count, false);
    size_t finished = 0;        // files done, in any order
    int64_t samplesDone = 0;    // in the files done
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
            Outcome outcome = reportFile(options.files[i], options, i + 1 == count);
            std::lock_guard lock(mutex);
            ++finished;
            samplesDone += outcome.samples;
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
        // The progress line moves on while the next row in order is awaited.
        while (!ready.wait_for(lock, std::chrono::milliseconds(100), [&] { return done[i]; })) {
            const auto [files, samples] = std::pair(finished, samplesDone);
            lock.unlock();
            progress.show(files, samples);
            lock.lock();
        }
        Outcome outcome = std::move(outcomes[i]);
        const auto [files, samples] = std::pair(finished, samplesDone);
        lock.unlock();
        // Rows and messages go above the progress line.
        if (outIsTerminal || !outcome.message.empty())
            progress.clear();
        err << outcome.message << std::flush;
        if (!writeOut(out, err, progress, outcome.row)) {
            next = count;   // no further files are started
            return Run::writeFailed;
        }
        progress.show(files, samples);
        allOk = allOk && outcome.ok;
    }
    return allOk ? Run::allReported : Run::fileFailed;
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

int runReport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
              const ReportTerminal &terminal)
{
    const auto parsed = parseArguments(args);
    if (const auto *error = std::get_if<ArgumentError>(&parsed)) {
        err << program << error->message << "\nTry 'sismavue-report --help'.\n" << std::flush;
        return 2;
    }
    const ReportOptions &options = std::get<ReportOptions>(parsed);
    ProgressLine progress(err, terminal.errIsTerminal && !options.quiet && !options.help,
                          options.files.size(), terminal.progressAfter);
    if (options.help)
        return writeOut(out, err, progress, helpText()) ? 0 : 1;
    if (options.version)
        return writeOut(out, err, progress, "sismavue-report " SISMAVUE_VERSION "\n") ? 0 : 1;

    const std::string start = options.spectrum ? "" : tableStart(options.format, !options.noHeader);
    if (!writeOut(out, err, progress, start))
        return 1;
    const Run run = reportAll(options, out, err, progress, terminal.outIsTerminal);
    progress.clear();
    if (run == Run::writeFailed)
        return 1;
    const std::string end = options.spectrum ? "" : tableEnd(options.format);
    if (!writeOut(out, err, progress, end))
        return 1;
    return run == Run::allReported ? 0 : 1;
}
