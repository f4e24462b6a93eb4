#include "report/pdfevents.h"

#include "analysis/exceedances.h"
#include "analysis/loadrecord.h"
#include "report/report.h"
#include "views/plotaxis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <utility>
#include <functional>

namespace {

std::variant<AnalysedRecord, LoadError> readEntry(const ReportEvent &event, const ReadOptions &read, bool levels)
{
    const std::string &file = event.key.file;
    auto input = openRecordFile(file);
    if (auto *error = std::get_if<LoadError>(&input))
        return std::move(*error);
    OpenResult opened = openRecord(std::get<ByteInput>(input), file, read);
    if (auto *error = std::get_if<LoadError>(&opened))
        return std::move(*error);
    OpenedRecord &record = std::get<OpenedRecord>(opened);
    if (event.key.entry >= record.entries().size())
        return LoadError{file, 0, "has changed since it was first read"};
    ReadResult values = record.readOnly(event.key.entry);
    if (auto *error = std::get_if<LoadError>(&values))
        return std::move(*error);
    LoadOptions load;
    load.threads = read.threads;
    load.keepLevels = levels;
    LoadResult analysed = analyseRecord(std::get<Record>(std::move(values)), file, load);
    if (auto *error = std::get_if<LoadError>(&analysed)) {
        if (!event.label.empty())
            error->reason = event.label + ": " + error->reason;
        return std::move(*error);
    }
    return std::get<AnalysedRecord>(std::move(analysed));
}

std::optional<UtcTime> startOf(const AnalysedRecord &record)
{
    return record.startTime;
}

} // namespace

std::vector<std::string> figuresRow(const std::string &file, const AnalysedRecord &record, const ThreadPolicy &threads)
{
    const SummaryFields f = summaryFields(record, std::nullopt, ".", threads);
    return {eventTime(startOf(record)), f.label, f.id, f.maxPeak, f.rms, f.law, f.freqMax, file};
}

// The slow level from the first sample on; the silent lead-in, whose level
// is minus infinity, at the lowest level the record reaches.
LevelTrace levelTrace(AnalysedRecord &record)
{
    LevelTrace trace;
    trace.channel = record.channel.empty() ? record.station : record.channel;
    trace.rate = record.sampleRate;
    trace.startMicros = recordStartTime(record);
    trace.level = std::move(record.slowLevel);
    if (!trace.level.empty())
        trace.level.erase(trace.level.begin());
    float lowest = std::numeric_limits<float>::infinity();
    for (float v : trace.level)
        if (std::isfinite(v))
            lowest = std::min(lowest, v);
    for (float &v : trace.level)
        if (!std::isfinite(v))
            v = std::isfinite(lowest) ? lowest : 0;
    return trace;
}

DocumentFailure documentFailure(const LoadError &error)
{
    return {error.file, error.line > 0 ? "line " + std::to_string(error.line) + ": " + error.reason : error.reason};
}

std::string eventTime(const std::optional<UtcTime> &start)
{
    return start ? utcText(start->time_since_epoch().count()) : "no start time";
}

std::vector<std::string> figuresHeaders()
{
    return {"Time (UTC)", "Station", "Channel", "MaxPeak um/s", "RMS um/s", "Law,max,Slow dB", "Freq.max Hz", "File"};
}

void withEntries(const std::string &file, const ReadOptions &read, std::vector<DocumentFailure> &failures,
                 const std::function<void(const std::vector<RecordEntry> &)> &each)
{
    auto input = openRecordFile(file);
    if (auto *error = std::get_if<LoadError>(&input))
        return failures.push_back(documentFailure(*error));
    OpenResult opened = openRecord(std::get<ByteInput>(input), file, read);
    if (auto *error = std::get_if<LoadError>(&opened))
        return failures.push_back(documentFailure(*error));
    each(std::get<OpenedRecord>(opened).entries());
}

std::vector<ReportEvent> listEvents(const std::vector<std::string> &files, const ReadOptions &read,
                                    std::vector<DocumentFailure> &failures)
{
    std::vector<ReportEvent> events;
    for (const std::string &file : files)
        withEntries(file, read, failures, [&](const std::vector<RecordEntry> &entries) {
            for (std::size_t e = 0; e < entries.size(); ++e) {
                if (entries[e].problem)
                    failures.push_back({file, entryLabel(entries[e]) + ": " + *entries[e].problem});
                else
                    events.push_back({{entries[e].info.startTime, file, e}, entryLabel(entries[e]), entries[e].sampleCount});
            }
        });
    std::stable_sort(events.begin(), events.end(),
                     [](const ReportEvent &a, const ReportEvent &b) { return eventBefore(a.key, b.key); });
    return events;
}

std::vector<std::pair<std::string, std::string>> countFacts(const std::vector<std::optional<UtcTime>> &starts,
                                                            std::size_t failures)
{
    const std::size_t timed = std::count_if(starts.begin(), starts.end(), [](const auto &s) { return s.has_value(); });
    std::vector<std::pair<std::string, std::string>> facts;
    facts.push_back({"Period covered", timed == 0 ? "no event has a start time"
                                                  : eventTime(starts.front()) + " to " + eventTime(starts[timed - 1]) +
                                                        " UTC"});
    facts.push_back({"Events", std::to_string(starts.size()) +
                                   (timed < starts.size() ? ", " + std::to_string(starts.size() - timed) +
                                                                " without a start time" : "")});
    if (failures > 0)
        facts.push_back({"Not read", std::to_string(failures) + ", listed last"});
    return facts;
}

EventSummary summariseEvent(const ReportEvent &event, const ReadOptions &read, const RunSensitivities &sensitivities)
{
    EventSummary summary;
    auto analysed = readEntry(event, read, false);
    if (auto *error = std::get_if<LoadError>(&analysed)) {
        summary.failure = documentFailure(*error);
        return summary;
    }
    const AnalysedRecord &record = std::get<AnalysedRecord>(analysed);
    summary.paged = true;
    summary.cells = figuresRow(event.key.file, record, read.threads);
    summary.said = recordWarnings(event.label.empty() ? event.key.file : event.key.file + ": " + event.label, record,
                                  sensitivities);
    summary.lawMaxSlow = record.figures.lawMaxSlow;
    summary.exceeded = record.figures.lawMaxSlow > perceptionThreshold;
    return summary;
}

DocumentEvent figuresPage(const ReportEvent &event, const ReadOptions &read)
{
    DocumentEvent page;
    page.figures.headers = figuresHeaders();
    auto analysed = readEntry(event, read, true);
    if (auto *error = std::get_if<LoadError>(&analysed)) {
        page.heading = event.key.file + ": " + documentFailure(*error).reason;
        return page;
    }
    AnalysedRecord &record = std::get<AnalysedRecord>(analysed);
    std::vector<std::string> row = figuresRow(event.key.file, record, read.threads);
    page.heading = row[0] + "   " + row[1] + " " + row[2] + "   " + event.key.file;
    page.figures.rows.push_back(std::move(row));
    page.figures.marked.push_back(record.figures.lawMaxSlow > perceptionThreshold);
    page.levels.push_back(levelTrace(record));
    return page;
}

DocumentSummary figuresSummary(const std::string &title, const std::string &site, const std::vector<ReportEvent> &events,
                               const std::vector<EventSummary> &rows, std::size_t failures)
{
    DocumentSummary summary;
    summary.title = title;
    summary.site = site;
    summary.table.headers = figuresHeaders();
    std::size_t above = 0, largest = 0;
    std::vector<std::optional<UtcTime>> starts;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        summary.table.rows.push_back(rows[i].cells);
        summary.table.marked.push_back(rows[i].exceeded);
        above += rows[i].exceeded;
        starts.push_back(events[i].key.start);
        if (rows[i].lawMaxSlow > rows[largest].lawMaxSlow)
            largest = i;
    }
    auto &facts = summary.facts;
    facts.push_back({"Figures", "MaxPeak and RMS (um/s), Law,max,Slow (dB) against 71 dB, Freq.max (Hz)"});
    const auto counts = countFacts(starts, failures);
    facts.insert(facts.end(), counts.begin(), counts.end() - (failures > 0));
    facts.push_back({"Above 71 dB", std::to_string(above)});
    if (!rows.empty()) {
        const std::vector<std::string> &c = rows[largest].cells;
        facts.push_back({"Largest level", c[5] + " dB: " + c[0] + ", " + c[1] + " " + c[2] + ", " + c[7]});
    }
    if (failures > 0)
        facts.push_back(counts.back());
    return summary;
}
