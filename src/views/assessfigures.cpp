#include "views/assessfigures.h"

#include "assess/companions.h"
#include "assess/guidelines.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The readable records in file and entry order, with what the grouping
// reads of each.
struct Readable {
    std::vector<RecordAt> at;
    std::vector<ChannelInfo> infos;
    std::vector<const Record *> records;
};

Readable readable(std::span<const std::shared_ptr<const AssessFile>> files)
{
    Readable r;
    for (std::size_t f = 0; f < files.size(); ++f)
        for (std::size_t e = 0; e < files[f]->values.size(); ++e)
            if (const auto *record = std::get_if<Record>(&files[f]->values[e])) {
                ChannelInfo info = channelInfo(files[f]->entries[e]);
                info.sampleCount = record->sampleCount;
                r.at.push_back({f, e});
                r.infos.push_back(std::move(info));
                r.records.push_back(record);
            }
    return r;
}

// The components to assess, indices into Readable, with the first sample
// of each and the count they share.
struct Span {
    std::vector<std::size_t> members;
    std::vector<int64_t> first;
    int64_t count = 0;
};

Span spanOf(const Readable &r, std::size_t shown, const AssessChoices &choices, std::vector<std::string> &notes)
{
    const ComponentGrouping grouping = groupComponents(r.infos);
    Span span{{shown}, {0}, r.infos[shown].sampleCount};
    for (const ComponentSet &set : grouping.sets)
        if (std::find(set.members.begin(), set.members.end(), shown) != set.members.end()) {
            span = {{set.members.begin(), set.members.end()}, {set.offsets.begin(), set.offsets.end()}, set.count};
            break;
        }
    for (const LoneChannel &lone : grouping.singles)
        if (lone.member == shown)
            notes.push_back(r.infos[shown].channel + " is assessed alone: " + lone.reason);
    if (!choices.segment)
        return span;
    // The segment is the shown record's: moved by its offset into the span.
    const std::size_t k = static_cast<std::size_t>(
        std::find(span.members.begin(), span.members.end(), shown) - span.members.begin());
    const int64_t from = std::clamp<int64_t>(choices.segment->first - 1 - span.first[k], 0, span.count);
    const int64_t to = std::clamp<int64_t>(choices.segment->second - span.first[k], 0, span.count);
    for (int64_t &first : span.first)
        first += from;
    span.count = to - from;
    return span;
}

EventChannel eventChannel(const Record &record, int64_t first)
{
    EventChannel c{record.channel, static_cast<double>(record.sampleRate), std::nullopt,
                   static_cast<double>(first) / record.sampleRate};
    if (record.startTime)
        c.startMicros = record.startTime->time_since_epoch().count() +
                        std::llround(static_cast<double>(first) * 1e6 / record.sampleRate);
    return c;
}

void addNote(std::vector<std::string> &notes, const std::string &note)
{
    if (std::find(notes.begin(), notes.end(), note) == notes.end())
        notes.push_back(note);
}

void makeEvents(AssessFigures &figures, const std::vector<std::span<const float>> &samples, double rate,
                const std::vector<EventChannel> &channels, const std::string &station, const AssessChoices &choices)
{
    StructureOptions structure = choices.structure;
    structure.keepTrace = true;
    PeopleOptions people = choices.people;
    people.keepTrace = true;
    if (samples.size() == 3) {
        const std::array<std::span<const float>, 3> three{samples[0], samples[1], samples[2]};
        StructureSetResult set = assessStructureSet(three, rate, structure);
        StructureSetResult velocity = set;
        figures.structure = structureEvent(station, channels, std::move(set), structure);
        try {
            figures.people = peopleEvent(station, channels, std::move(velocity),
                                         assessPeopleSet(three, rate, people), people);
        } catch (const AssessError &error) {
            figures.peopleError = error.what();
        }
        return;
    }
    const Axis axis = axisOfChannel(channels[0].channel);
    StructureResult one = assessStructure(samples[0], rate, axis, structure);
    StructureResult velocity = one;
    figures.structure = structureEvent(station, channels[0], std::move(one), structure);
    try {
        figures.people = peopleEvent(station, channels[0], std::move(velocity),
                                     assessPeople(samples[0], rate, people), people);
    } catch (const AssessError &error) {
        figures.peopleError = error.what();
    }
}

void collectNotes(AssessFigures &figures)
{
    for (const EventComponent &c : figures.structure.components)
        for (const std::string &note : c.structure.notes)
            addNote(figures.notes, c.channel.channel + ": " + note);
    for (const EventComponent &c : figures.people.components)
        if (c.people)
            for (const std::string &warning : c.people->warnings)
                addNote(figures.notes, c.channel.channel + ": " + warning);
}

} // namespace

AssessFile readAssessFile(const std::string &path, const ReadOptions &options)
{
    AssessFile file{path, {}, {}, std::nullopt};
    auto input = openRecordFile(path);
    if (auto *error = std::get_if<LoadError>(&input)) {
        file.problem = std::move(*error);
        return file;
    }
    OpenResult opened = openRecord(std::get<ByteInput>(input), path, options);
    if (auto *error = std::get_if<LoadError>(&opened)) {
        file.problem = std::move(*error);
        return file;
    }
    OpenedRecord &record = std::get<OpenedRecord>(opened);
    file.entries = record.entries();
    for (std::size_t i = 0; i < file.entries.size(); ++i)
        file.values.push_back(record.read(i));
    return file;
}

std::string stationText(const RecordInfo &info)
{
    std::string text;
    for (const std::string *part : {&info.network, &info.station, &info.location})
        if (!part->empty())
            text += (text.empty() ? "" : ".") + *part;
    return text;
}

AssessFigures assessFigures(std::span<const std::shared_ptr<const AssessFile>> files, RecordAt shown,
                            const AssessChoices &choices)
{
    AssessFigures figures;
    const Readable r = readable(files);
    const auto found = std::find(r.at.begin(), r.at.end(), shown);
    if (found == r.at.end()) {
        figures.error = "the record shown could not be read again";
        return figures;
    }
    const Span span = spanOf(r, static_cast<std::size_t>(found - r.at.begin()), choices, figures.notes);
    if (span.count <= 0) {
        figures.error = "the segment lies outside the span the components share";
        return figures;
    }
    std::vector<std::span<const float>> samples;
    std::vector<EventChannel> channels;
    for (std::size_t k = 0; k < span.members.size(); ++k) {
        const Record &record = *r.records[span.members[k]];
        figures.members.push_back(r.at[span.members[k]]);
        // Entry 0 of a record's samples is not one of its values.
        samples.emplace_back(record.samples.data() + 1 + span.first[k], static_cast<std::size_t>(span.count));
        channels.push_back(eventChannel(record, span.first[k]));
        if (record.unit == SampleUnit::asStored)
            figures.notes.push_back(record.channel + ": its values are taken as they stand, with no sensitivity "
                                                     "to make them m/s");
    }
    const Record &first = *r.records[span.members[0]];
    try {
        makeEvents(figures, samples, first.sampleRate, channels, stationText(first), choices);
    } catch (const AssessError &error) {
        figures.error = error.what();
        return figures;
    }
    collectNotes(figures);
    return figures;
}
