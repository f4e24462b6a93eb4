#include "report/reportfile.h"

#include "analysis/exceedances.h"
#include "analysis/loadrecord.h"
#include "report/exceedancetable.h"
#include "report/report.h"
#include "report/table.h"
#include "session/numbertext.h"
#include "spectrum/segmentspectrum.h"
#include "views/selection.h"

#include <algorithm>
#include <new>
#include <utility>
#include <variant>

namespace {

const std::string program(messagePrefix);

// How messages name an entry of a file of several: "channel EHZ",
// "channel EHZ piece 2 of 3", "piece 2 of 3"; "" for a file's only entry.
std::string messageLabel(const RecordEntry &entry)
{
    const std::string label = entryLabel(entry);
    return entry.channelName.empty() ? label : "channel " + label;
}

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
    f.label = record.station;
    f.id = record.channel;
    // After a load without a segment the start box holds the text "0".
    f.start = b.hasSegment ? integerText(b.start) : "0";
    f.end = integerText(b.end);
    f.maxPeak = format2(figures.peak * 1000000, separator);
    f.rms = format2(figures.rms * 1000000, separator);
    f.law = format2(figures.lawMaxSlow, separator);
    f.freqMax = format2(lineFrequency(spectrum.peakLine, record.sampleRate), separator);
    return f;
}

// One record's row, warnings and picture, added to the file's outcome.
void analyseEntry(OpenedRecord &opened, size_t entry, const std::string &path, const ReportOptions &options,
                  bool last, const LoadOptions &load, const RunSensitivities &sensitivities, Outcome &outcome)
{
    const std::string label = messageLabel(opened.entries()[entry]);
    // The reader names a channel in its own errors; the analysis does not.
    const auto fail = [&](LoadError &error, bool named) {
        if (!named && !label.empty())
            error.reason = label + ": " + error.reason;
        const Outcome failed = failure(error, options, last);
        outcome.ok = false;
        outcome.row += failed.row;
        outcome.message += failed.message;
    };
    if (const auto refusal = sensitivities.inventoryRefusal(opened.entries()[entry].info)) {
        LoadError error{path, 0, *refusal};
        return fail(error, false);
    }
    ReadResult read = opened.read(entry);
    if (auto *error = std::get_if<LoadError>(&read))
        return fail(*error, true);
    Record &psn = std::get<Record>(read);
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
        return fail(*error, false);
    AnalysedRecord &record = std::get<AnalysedRecord>(loaded);
    const SegmentSpectrum spectrum = spectrumSum.finish({}, load.threads);
    outcome.message += recordWarnings(label.empty() ? path : path + ": " + label, record, sensitivities);
    outcome.samples += record.sampleCount;
    if (options.exceedances) {
        const ExceedanceRows rows{path, record.station, record.channel, record.sampleRate,
                                  recordStartTime(record), track.finish()};
        outcome.row += exceedanceTableRows(options.format, rows);
    } else if (options.spectrum) {
        std::string text = copySpectrumText(spectrum.lines, record.sampleRate, ".", "\n");
        if (options.noHeader)
            text.erase(0, text.find('\n') + 1);
        outcome.row += text;
    } else {
        const ReportRow row{path, summaryOf(record, b, spectrum, "."), record};
        outcome.row += tableRow(options.format, row, last);
    }
    if (options.plotDir)
        outcome.plots.push_back({path, entryTag(opened.entries()[entry]), std::move(record), b, spectrum});
}

// `last`: the file is the last one given. A row per record the file holds
// (per channel, or piece of one), in file order; with --plot the records go
// on, to be drawn as the window shows them. With --spectrum a file must
// hold one record.
Outcome analyseFile(const std::string &path, const ReportOptions &options, bool last,
                    const ThreadPolicy &threads, const RunSensitivities &sensitivities)
{
    ReadOptions read;
    read.threads = threads;
    read.sensitivity = sensitivities.choice();
    read.channel = options.channel;
    LoadOptions load;
    load.threads = threads;
    // The whole record's largest level is all a row needs of the levels.
    load.keepLevels = options.segment.has_value() || options.plotDir.has_value();
    auto input = path == "-" ? openStandardInput(path) : openRecordFile(path);
    if (const auto *error = std::get_if<LoadError>(&input))
        return failure(*error, options, last);
    OpenResult opened = openRecord(std::get<ByteInput>(input), path, read);
    if (const auto *error = std::get_if<LoadError>(&opened))
        return failure(*error, options, last);
    OpenedRecord &record = std::get<OpenedRecord>(opened);
    const std::vector<RecordEntry> &entries = record.entries();
    if (options.spectrum && entries.size() > 1) {
        std::string names;
        for (const RecordEntry &entry : entries)
            names += (names.empty() ? "" : ", ") + entryLabel(entry);
        Outcome outcome;
        outcome.badArguments = true;
        outcome.message = "--spectrum: expected a file of one channel or --channel CODE, got " + path + " of " +
                          std::to_string(entries.size()) + " channels (" + names + ")";
        return outcome;
    }
    Outcome outcome{true, {}, {}, 0, {}};
    for (size_t e = 0; e < entries.size(); ++e)
        analyseEntry(record, e, path, options, last && e + 1 == entries.size(), load, sensitivities, outcome);
    return outcome;
}

} // namespace

Outcome reportFile(const std::string &path, const ReportOptions &options, bool last,
                   const ThreadPolicy &threads, const RunSensitivities &sensitivities)
{
    try {
        return analyseFile(path, options, last, threads, sensitivities);
    } catch (const std::bad_alloc &) {
        return failure(LoadError{path, 0, "the record does not fit in memory"}, options, last);
    }
}

SummaryFields summaryFields(const AnalysedRecord &record, std::optional<RequestedSegment> segment,
                            std::string_view separator, const ThreadPolicy &threads)
{
    const SegmentBounds b = fitSegment(segment, record.sampleCount);
    return summaryOf(record, b, segmentSpectrum(record.samples, b.start, b.end, {}, threads), separator);
}
