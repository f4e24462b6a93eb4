#include "report/report.h"

#include "analysis/loadrecord.h"
#include "report/exceedancetable.h"
#include "report/pictures.h"
#include "report/progress.h"
#include "report/sensitivities.h"
#include "report/table.h"
#include "session/numbertext.h"
#include "session/threads.h"
#include "spectrum/segmentspectrum.h"
#include "views/selection.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <ostream>
#include <utility>
#include <variant>

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

Outcome failure(const LoadError &error, const ReportOptions &options, bool last)
{
    const std::string place = options.spectrum      ? ""
                              : options.exceedances ? exceedanceTableError(options.format, error)
                                                    : tableError(options.format, error, last);
    return {false, place, program + error.message() + "\n", 0, {}};
}

SummaryFields summaryOf(const AnalysedRecord &record, const SegmentBounds &b,
                        const SegmentSpectrum &spectrum, std::string_view separator)
{
    const Figures figures =
        b.hasSegment ? segmentFigures(record.samples, record.slowLevel, b.start, b.end)
                     : record.figures;
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

// The channels of the file at `path` ("-": standard input), each read or
// refused: all of them, or with --spectrum the one --channel names or the
// file's only one. Of a file of several channels --spectrum puts their
// names into `several` and reads none.
RecordsResult readChannels(const std::string &path, const ReportOptions &options, const LoadOptions &load,
                           std::vector<std::string> &several)
{
    auto opened = path == "-" ? openStandardInput(path) : openRecordFile(path);
    if (auto *error = std::get_if<LoadError>(&opened))
        return std::move(*error);
    ByteInput &input = std::get<ByteInput>(opened);
    if (!options.spectrum)
        return readRecords(input, path, load);
    LoadOptions one = load;
    one.chooseChannel = [&several](const std::vector<std::string> &names) {
        several = names;
        return std::optional<std::string>();
    };
    return asRecords(readRecord(input, path, one));
}

// One record's row, warnings and picture, added to the file's outcome.
void analyseChannel(ReadResult &&read, const std::string &path, const ReportOptions &options, bool last,
                    const LoadOptions &load, const RunSensitivities &sensitivities, Outcome &outcome)
{
    const std::string channel = std::holds_alternative<PsnRecord>(read) ? std::get<PsnRecord>(read).channel : "";
    const auto fail = [&](LoadError &error) {
        if (!channel.empty())
            error.reason = "channel " + channel + ": " + error.reason;
        const Outcome failed = failure(error, options, last);
        outcome.ok = false;
        outcome.row += failed.row;
        outcome.message += failed.message;
    };
    if (auto *error = std::get_if<LoadError>(&read))
        return fail(*error);
    PsnRecord &psn = std::get<PsnRecord>(read);
    const SegmentBounds b = fitSegment(options.segment, psn.sampleCount);
    // The spectrum's blocks follow the mean removal on the analysis's helper
    // while it has time; what is left is done after. Exceedances need none
    // (one block, of no cost, stands in).
    const bool needSpectrum = !options.exceedances || options.plotDir;
    SpectrumSum spectrumSum(psn.samples, b.start, needSpectrum ? b.end : b.start);
    LoadOptions withSpectrum = load;
    ExceedanceTrack track(psn.sampleRate, options.threshold.value_or(perceptionThreshold), options.merge.value_or(0));
    if (options.exceedances)
        withSpectrum.followLevels = [&track](const LevelledPiece &piece) { track.follow(piece); };
    withSpectrum.alongside = [&](int64_t finalEntries) {
        if (spectrumSum.blocksAdded() == spectrumSum.blockCount() || spectrumSum.nextBlockReads() > finalEntries)
            return false;
        spectrumSum.addNextBlock();
        return true;
    };
    LoadResult loaded = analyseRecord(std::move(psn), path, withSpectrum);
    if (auto *error = std::get_if<LoadError>(&loaded))
        return fail(*error);
    AnalysedRecord &record = std::get<AnalysedRecord>(loaded);
    const SegmentSpectrum spectrum = spectrumSum.finish({}, load.threads);
    outcome.message += recordWarnings(channel.empty() ? path : path + ": channel " + channel, record, sensitivities);
    outcome.samples += record.sampleCount;
    if (options.exceedances) {
        const ExceedanceRows rows{path, record.stationCode, record.componentName, record.sampleRate,
                                  recordStartTime(record), track.finish()};
        outcome.row += exceedanceTableRows(options.format, rows);
    } else if (options.spectrum) {
        std::string text = copySpectrumText(spectrum.lines, record.sampleRate, ".", "\n");
        if (options.noHeader)
            text.erase(0, text.find('\n') + 1);
        outcome.row += text;
    } else {
        const ReportRow row{path, summaryOf(record, b, spectrum, "."), record.sampleRate,
                            record.sampleCount, record.sensitivity};
        outcome.row += tableRow(options.format, row, last);
    }
    if (options.plotDir)
        outcome.plots.push_back({path, channel, std::move(record), b, spectrum});
}

// `last`: the file is the last one given. A row per channel the file holds,
// in file order; with --plot the records go on, to be drawn as the window
// shows them.
Outcome analyseFile(const std::string &path, const ReportOptions &options, bool last,
                    const ThreadPolicy &threads, const RunSensitivities &sensitivities)
{
    LoadOptions load;
    load.threads = threads;
    // The whole record's largest level is all a row needs of the levels.
    load.keepLevels = options.segment.has_value() || options.plotDir.has_value();
    load.sensitivity = sensitivities.choice();
    load.channel = options.channel;
    std::vector<std::string> several;
    RecordsResult read = readChannels(path, options, load, several);
    if (!several.empty()) {
        std::string names;
        for (const std::string &name : several)
            names += (names.empty() ? "" : ", ") + name;
        Outcome outcome;
        outcome.badArguments = true;
        outcome.message = "--spectrum: expected a file of one channel or --channel CODE, got " + path + " of " +
                          std::to_string(several.size()) + " channels (" + names + ")";
        return outcome;
    }
    if (const auto *error = std::get_if<LoadError>(&read))
        return failure(*error, options, last);
    auto &channels = std::get<std::vector<ReadResult>>(read);
    Outcome outcome{true, {}, {}, 0, {}};
    for (size_t c = 0; c < channels.size(); ++c)
        analyseChannel(std::move(channels[c]), path, options, last && c + 1 == channels.size(), load,
                       sensitivities, outcome);
    return outcome;
}

// A record too large for the memory left fails like an unreadable file,
// without taking the other files down with it.
Outcome reportFile(const std::string &path, const ReportOptions &options, bool last,
                   const ThreadPolicy &threads, const RunSensitivities &sensitivities)
{
    try {
        return analyseFile(path, options, last, threads, sensitivities);
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
    err << program << "standard output: " << (error != 0 ? systemReason(error) : "write error") << "\n"
        << std::flush;
    return false;
}

enum class Run { allReported, fileFailed, writeFailed, badArguments };

// One file's outcome, worked out by a helper.
struct FileJob {
    size_t file = 0;
    Outcome outcome;
};

// Works with at most options.jobs threads on files (one per core when not
// given): on several files at once, and on each with the threads left over;
// rows come out in the order given, and the work stops when they cannot be
// written.
Run reportAll(const ReportOptions &options, const RunSensitivities &sensitivities,
              Pictures *pictures, std::ostream &out, std::ostream &err, ProgressLine &progress,
              bool outIsTerminal)
{
    const size_t count = options.files.size();
    const JobPlan plan = planJobs(options.jobs, count);
    const int workers = static_cast<int>(plan.filesAtOnce);
    std::optional<PictureQueue> queue;
    if (pictures)
        queue.emplace(*pictures, workers);
    OrderedPool<FileJob> files(workers, CallerShare::waits, [&](FileJob &job, int) {
        job.outcome = reportFile(options.files[job.file], options, job.file + 1 == count, plan.perFile,
                                 sensitivities);
    });
    const size_t ahead = files.helpers() == 0 ? 1 : pictures ? plotAhead + plan.filesAtOnce : count;
    size_t posted = 0, done = 0;
    int64_t samples = 0;
    // The progress line moves on while the next row in order is awaited.
    const WaitTick tick = [&] { progress.show(done, samples); };
    bool allOk = true;
    bool firstRow = true;
    for (size_t i = 0; i < count; ++i) {
        for (; posted < count && files.inFlight() < ahead; ++posted)
            files.post({posted, {}});
        Outcome outcome = files.take(tick).outcome;
        ++done;
        samples += outcome.samples;
        if (outcome.badArguments) {
            progress.clear();
            err << program << outcome.message << "\nTry 'sismavue-report --help'.\n" << std::flush;
            return Run::badArguments;
        }
        // Rows and messages go above the progress line.
        if (outIsTerminal || !outcome.message.empty())
            progress.clear();
        err << outcome.message << std::flush;
        if (options.exceedances)
            dropFirstSeparator(outcome.row, firstRow);
        if (!writeOut(out, err, progress, outcome.row))
            return Run::writeFailed;
        for (PlotRecord &plot : outcome.plots)
            queue->add(std::move(plot), tick);
        tick();
        allOk = allOk && outcome.ok;
    }
    if (queue) {
        const std::vector<std::string> reasons = queue->finish(tick);
        progress.clear();
        for (const std::string &reason : reasons)
            err << program << reason << "\n" << std::flush;
        allOk = allOk && reasons.empty();
    }
    return allOk ? Run::allReported : Run::fileFailed;
}

} // namespace

SummaryFields summaryFields(const AnalysedRecord &record, std::optional<RequestedSegment> segment,
                            std::string_view separator, const ThreadPolicy &threads)
{
    const SegmentBounds b = fitSegment(segment, record.sampleCount);
    return summaryOf(record, b, segmentSpectrum(record.samples, b.start, b.end, {}, threads), separator);
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

    const auto sensitivities = runSensitivities(options);
    if (const auto *error = std::get_if<LoadError>(&sensitivities)) {
        err << program << error->message() << "\n" << std::flush;
        return 1;
    }
    std::optional<Pictures> pictures;
    if (options.plotDir) {
        auto prepared = preparePictures(options);
        if (const auto *error = std::get_if<std::string>(&prepared)) {
            err << program << *error << "\n" << std::flush;
            return 1;
        }
        pictures = std::get<Pictures>(std::move(prepared));
    }
    const std::string start = options.spectrum      ? ""
                              : options.exceedances ? exceedanceTableStart(options.format, !options.noHeader)
                                                    : tableStart(options.format, !options.noHeader);
    if (!writeOut(out, err, progress, start))
        return 1;
    const Run run = reportAll(options, std::get<RunSensitivities>(sensitivities),
                              pictures ? &*pictures : nullptr, out, err, progress, terminal.outIsTerminal);
    if (pictures)
        pictures->module->stop();
    progress.clear();
    if (run == Run::writeFailed)
        return 1;
    if (run == Run::badArguments)
        return 2;
    const std::string end = options.spectrum      ? ""
                            : options.exceedances ? exceedanceTableEnd(options.format)
                                                  : tableEnd(options.format);
    if (!writeOut(out, err, progress, end))
        return 1;
    return run == Run::allReported ? 0 : 1;
}
