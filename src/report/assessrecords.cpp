#include "report/assessrecords.h"

#include "assess/guidelines.h"
#include "session/numbertext.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

namespace {

// The samples a record gives an assessment: from `offset` on, `count` of
// them, of which the segment selects some; first is the first one's index
// from 0 at the record's first sample.
struct Assessed {
    std::span<const float> values;
    int64_t first = 0;
};

Assessed assessedSpan(const Record &record, int64_t offset, int64_t count,
                      std::optional<RequestedSegment> segment)
{
    const SegmentBounds b = fitSegment(segment, static_cast<int32_t>(count));
    const int64_t from = b.hasSegment ? b.start - 1 : 0;
    const int64_t length = b.hasSegment ? b.end - b.start + 1 : count;
    // Entry 0 of the samples is not one.
    return {std::span<const float>(record.samples.data() + 1 + offset + from, static_cast<std::size_t>(length)),
            offset + from};
}

double secondsOf(const AssessSource &s, int64_t index)
{
    return static_cast<double>(s.firstSample + index) / s.info.sampleRate;
}

AssessSource sourceOf(const AssessRecord &r, int64_t first)
{
    return {r.file, static_cast<const RecordInfo &>(*r.record), first};
}

EventChannel eventChannel(const AssessSource &source)
{
    const double rate = source.info.sampleRate;
    EventChannel channel{source.info.channel, rate, std::nullopt, static_cast<double>(source.firstSample) / rate};
    if (source.info.startTime)
        channel.startMicros = source.info.startTime->time_since_epoch().count() +
                              std::llround(static_cast<double>(source.firstSample) * 1e6 / rate);
    return channel;
}

void finish(Assessment &event)
{
    for (const AssessRow &row : event.rows) {
        event.exceeded = event.exceeded || row.verdict == Verdict::Exceeded;
        event.failed = event.failed || !row.verdict;
    }
}

void warn(Assessment &event, std::size_t member, const std::vector<std::string> &warnings)
{
    for (const std::string &text : warnings)
        event.messages.push_back({member, true, text});
}

// A copy of `result` without its trace, which stays where it is.
template <class Result>
Result untraced(Result &result)
{
    std::vector<float> trace = std::move(result.trace);
    Result copy = result;
    result.trace = std::move(trace);
    return copy;
}

RowFigures componentFigures(const AssessSource &source, StructureResult &result)
{
    return {{source}, untraced(result), std::nullopt, std::nullopt, std::nullopt};
}

RowFigures componentFigures(const AssessSource &source, PeopleResult &result)
{
    return {{source}, std::nullopt, untraced(result), std::nullopt, std::nullopt};
}

StructureOptions traced(StructureOptions options, bool keep)
{
    options.keepTrace = keep;
    return options;
}

// One component, its span chosen; throws AssessError.
void assessOne(Assessment &out, const AssessRecord &r, const Assessed &span, const AssessChoices &c)
{
    const AssessSource source = sourceOf(r, span.first);
    const Axis axis = axisOfChannel(source.info.channel);
    const double rate = source.info.sampleRate;
    const std::string station = stationTitle(source.info);
    if (c.standard == Standard::Din4150_3) {
        StructureResult result = assessStructure(span.values, rate, axis, traced(c.structure, c.picture));
        out.rows.push_back(structureRow(source, result, r.notes));
        out.figures.push_back(componentFigures(source, result));
        if (c.picture)
            out.events.push_back(structureEvent(station, eventChannel(source), std::move(result), c.structure));
        return;
    }
    PeopleOptions people = c.people;
    people.keepTrace = c.picture;
    PeopleResult result = assessPeople(span.values, rate, people);
    out.rows.push_back(peopleRow(source, result, r.notes));
    out.figures.push_back(componentFigures(source, result));
    warn(out, 0, result.warnings);
    if (c.picture)
        out.events.push_back(peopleEvent(station, eventChannel(source),
                                         assessStructure(span.values, rate, axis, traced(c.structure, true)),
                                         std::move(result), c.people));
}

void assessThree(Assessment &out, const std::array<AssessRecord, 3> &records,
                 const std::array<Assessed, 3> &spans, const AssessChoices &c)
{
    std::array<AssessSource, 3> sources;
    std::array<std::span<const float>, 3> values;
    std::vector<EventChannel> channels;
    for (std::size_t k = 0; k < 3; ++k) {
        sources[k] = sourceOf(records[k], spans[k].first);
        values[k] = spans[k].values;
        channels.push_back(eventChannel(sources[k]));
    }
    const double rate = sources[0].info.sampleRate;
    const std::string station = stationTitle(sources[0].info);
    if (c.standard == Standard::Din4150_3) {
        StructureSetResult set = assessStructureSet(values, rate, traced(c.structure, c.picture));
        out.rows = structureSetRows(sources, set);
        for (std::size_t k = 0; k < 3; ++k)
            out.figures.push_back(componentFigures(sources[k], set.components[k]));
        const SetFigures figures{set.pvs, secondsOf(sources[0], set.pvsIndex), set.governing, set.verdict};
        out.figures.push_back({{sources.begin(), sources.end()}, std::nullopt, std::nullopt, figures, std::nullopt});
        if (c.picture)
            out.events.push_back(structureEvent(station, channels, std::move(set), c.structure));
        return;
    }
    PeopleOptions people = c.people;
    people.keepTrace = c.picture;
    PeopleSetResult set = assessPeopleSet(values, rate, people);
    out.rows = peopleSetRows(sources, set);
    for (std::size_t k = 0; k < 3; ++k)
        out.figures.push_back(componentFigures(sources[k], set.components[k]));
    const SetFigures figures{std::nullopt, std::nullopt, set.governing, set.verdict};
    out.figures.push_back({{sources.begin(), sources.end()}, std::nullopt, std::nullopt, figures, std::nullopt});
    for (std::size_t k = 0; k < 3; ++k)
        warn(out, k, set.components[k].warnings);
    if (c.picture)
        out.events.push_back(peopleEvent(station, channels,
                                         assessStructureSet(values, rate, traced(c.structure, true)),
                                         std::move(set), c.people));
}

// The failed rows of every member, when the assessment itself refused.
void refuse(Assessment &out, std::span<const AssessRecord> records, std::span<const Assessed> spans,
            Standard standard, const std::string &reason)
{
    out = Assessment();
    for (std::size_t k = 0; k < records.size(); ++k) {
        const AssessSource source = sourceOf(records[k], spans[k].first);
        out.rows.push_back(failedRow(standard, source, reason));
        out.figures.push_back({{source}, std::nullopt, std::nullopt, std::nullopt, reason});
        out.messages.push_back({k, false, reason});
    }
}

std::optional<std::string> refusalOf(const Record &record, const AssessChoices &choices)
{
    const std::optional<std::string> counts = countsReason(record);
    if (counts && !choices.countsHint.empty())
        return *counts + "; " + choices.countsHint;
    return counts;
}

} // namespace

std::optional<std::string> countsReason(const Record &record)
{
    if (record.unit == SampleUnit::asStored && !record.sensitivity)
        return "its values are the file's own numbers (counts, or a unit the file does not give), not m/s";
    if (!(record.largestValue >= 1))
        return std::nullopt;
    const std::string largest = shortestText(record.largestValue);
    if (!record.sensitivity)
        return "the largest value is " + largest + ", which cannot be m/s: the values look like counts";
    return "the largest value is " + largest + " m/s with a sensitivity of " + shortestText(*record.sensitivity) +
           " counts per m/s: the sensitivity looks wrong";
}

std::string countsHint(const std::string &tableName)
{
    return "give their sensitivity in counts per m/s with --sensitivity S, --inventory FILE or a line "
           "STATION<TAB>COMPONENT<TAB>S in " +
           (tableName.empty() ? std::string("a table given with --sensitivities FILE") : tableName);
}

Assessment assessSingle(const AssessRecord &record, const AssessChoices &choices)
{
    Assessment out;
    const Assessed span = assessedSpan(*record.record, 0, record.record->sampleCount, choices.segment);
    if (const std::optional<std::string> refusal = refusalOf(*record.record, choices)) {
        refuse(out, std::span(&record, 1), std::span(&span, 1), choices.standard, *refusal);
    } else {
        try {
            assessOne(out, record, span, choices);
        } catch (const AssessError &error) {
            refuse(out, std::span(&record, 1), std::span(&span, 1), choices.standard, error.what());
        }
    }
    finish(out);
    return out;
}

Assessment assessSet(const std::array<AssessRecord, 3> &records, const ComponentSet &set,
                     const AssessChoices &choices)
{
    // The records as read may be shorter than their headers said.
    int64_t count = set.count;
    for (std::size_t k = 0; k < 3; ++k)
        count = std::min<int64_t>(count, records[k].record->sampleCount - set.offsets[k]);
    std::array<std::optional<std::string>, 3> refusals;
    bool whole = count > 0;
    for (std::size_t k = 0; k < 3; ++k) {
        refusals[k] = refusalOf(*records[k].record, choices);
        whole = whole && !refusals[k];
    }
    Assessment out;
    if (whole) {
        std::array<Assessed, 3> spans;
        for (std::size_t k = 0; k < 3; ++k)
            spans[k] = assessedSpan(*records[k].record, set.offsets[k], count, choices.segment);
        try {
            assessThree(out, records, spans, choices);
        } catch (const AssessError &error) {
            refuse(out, records, spans, choices.standard, error.what());
        }
        finish(out);
        return out;
    }
    for (std::size_t k = 0; k < 3; ++k) {
        AssessRecord alone = records[k];
        for (std::size_t other = 0; other < 3; ++other)
            if (refusals[other] && other != k)
                alone.notes.push_back("not assessed as a set: " + records[other].record->channel + " cannot be assessed");
        Assessment one = assessSingle(alone, choices);
        out.rows.insert(out.rows.end(), one.rows.begin(), one.rows.end());
        out.figures.insert(out.figures.end(), one.figures.begin(), one.figures.end());
        for (AssessEvent &event : one.events)
            out.events.push_back(std::move(event));
        for (AssessMessage &message : one.messages)
            out.messages.push_back({k, message.warning, std::move(message.text)});
    }
    finish(out);
    return out;
}

std::string stationTitle(const RecordInfo &info)
{
    std::string title = info.network.empty() ? info.station : info.network + "." + info.station;
    if (!info.location.empty())
        title += "." + info.location;
    return title;
}
