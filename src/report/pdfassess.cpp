#include "report/pdfassess.h"

#include "analysis/loadrecord.h"
#include "report/assessinputs.h"
#include "report/pdfevents.h"
#include "views/assesschart.h"
#include "views/assesstext.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

ChannelInfo channelOf(const RecordEntry &entry)
{
    const RecordInfo &info = entry.info;
    ChannelInfo c{info.network, info.station, info.location, info.channel, static_cast<double>(info.sampleRate),
                  std::nullopt, entry.sampleCount};
    if (info.startTime)
        c.startMicros = info.startTime->time_since_epoch().count();
    return c;
}

// Every record the files hold that may be read, with what grouping needs.
void listEntries(const std::vector<std::string> &files, const ReadOptions &read, const RunSensitivities &sensitivities,
                 std::vector<EventEntry> &entries, std::vector<ChannelInfo> &channels,
                 std::vector<std::optional<UtcTime>> &starts, std::vector<DocumentFailure> &failures)
{
    for (const std::string &file : files)
        withEntries(file, read, failures, [&](const std::vector<RecordEntry> &list) {
            for (std::size_t e = 0; e < list.size(); ++e) {
                const std::string label = entryLabel(list[e]);
                const std::string place = label.empty() ? "" : label + ": ";
                if (list[e].problem)
                    failures.push_back({file, place + *list[e].problem});
                else if (const auto refusal = sensitivities.inventoryRefusal(list[e].info))
                    failures.push_back({file, place + *refusal});
                else {
                    entries.push_back({file, e, label});
                    channels.push_back(channelOf(list[e]));
                    starts.push_back(list[e].info.startTime);
                }
            }
        });
}

// The members' records, those of one file read from one opening of it.
std::vector<AssessInput> readMembers(const AssessedEvent &event, const ReadOptions &read)
{
    std::vector<AssessInput> inputs(event.members.size());
    for (std::size_t k = 0; k < inputs.size();) {
        const std::string &file = event.members[k].file;
        auto bytes = openRecordFile(file);
        std::optional<LoadError> failed;
        std::optional<OpenResult> opened;
        if (auto *error = std::get_if<LoadError>(&bytes))
            failed = *error;
        else if (opened = openRecord(std::get<ByteInput>(bytes), file, read); auto *error = std::get_if<LoadError>(&*opened))
            failed = *error;
        for (; k < inputs.size() && event.members[k].file == file; ++k) {
            AssessInput &input = inputs[k];
            input.file = file;
            input.label = event.members[k].label;
            if (failed) {
                input.error = failed;
                continue;
            }
            OpenedRecord &record = std::get<OpenedRecord>(*opened);
            const std::size_t entry = event.members[k].entry;
            if (entry >= record.entries().size()) {
                input.error = LoadError{file, 0, "has changed since it was first read"};
                continue;
            }
            input.info = record.entries()[entry].info;
            ReadResult values = record.read(entry);
            if (auto *error = std::get_if<LoadError>(&values))
                input.error = std::move(*error);
            else
                input.info = *(input.record = std::get<Record>(std::move(values)));
        }
    }
    return inputs;
}

void append(Assessment &all, Assessment &&one)
{
    all.rows.insert(all.rows.end(), one.rows.begin(), one.rows.end());
    all.figures.insert(all.figures.end(), one.figures.begin(), one.figures.end());
    std::move(one.events.begin(), one.events.end(), std::back_inserter(all.events));
    std::move(one.messages.begin(), one.messages.end(), std::back_inserter(all.messages));
    all.failed = all.failed || one.failed;
    all.exceeded = all.exceeded || one.exceeded;
}

// The event's assessment; of a set whose member cannot be read, each
// member's alone (the one not read with its reason).
Assessment assessMembers(const AssessedEvent &event, const std::vector<AssessInput> &inputs,
                         const AssessChoices &choices)
{
    const bool allRead = std::all_of(inputs.begin(), inputs.end(), [](const AssessInput &i) { return i.record.has_value(); });
    if (event.set && allRead) {
        AssessGroup group{{0, 1, 2}, event.set, std::nullopt};
        return assessGroup(group, inputs, choices);
    }
    Assessment all;
    for (std::size_t k = 0; k < inputs.size(); ++k)
        append(all, assessGroup({{k}, std::nullopt, event.alone}, inputs, choices));
    return all;
}

} // namespace

std::vector<AssessedEvent> listAssessedEvents(const std::vector<std::string> &files, const ReadOptions &read,
                                              const RunSensitivities &sensitivities,
                                              std::vector<DocumentFailure> &failures)
{
    std::vector<EventEntry> entries;
    std::vector<ChannelInfo> channels;
    std::vector<std::optional<UtcTime>> starts;
    listEntries(files, read, sensitivities, entries, channels, starts, failures);
    const ComponentGrouping grouping = groupComponents(channels);
    std::vector<AssessedEvent> events;
    for (const ComponentSet &set : grouping.sets) {
        AssessedEvent event;
        for (std::size_t m : set.members) {
            event.members.push_back(entries[m]);
            event.samples += channels[m].sampleCount;
        }
        event.set = set;
        event.set->members = {0, 1, 2};
        const std::size_t first = *std::min_element(set.members.begin(), set.members.end());
        event.key = {starts[set.members[0]], entries[first].file, entries[first].entry};
        events.push_back(std::move(event));
    }
    // A record alone in the run was never meant to be in a set.
    for (const LoneChannel &lone : grouping.singles) {
        AssessedEvent event;
        event.members.push_back(entries[lone.member]);
        event.samples = channels[lone.member].sampleCount;
        if (channels.size() > 1)
            event.alone = lone.reason;
        event.key = {starts[lone.member], entries[lone.member].file, entries[lone.member].entry};
        events.push_back(std::move(event));
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const AssessedEvent &a, const AssessedEvent &b) { return eventBefore(a.key, b.key); });
    return events;
}

AssessSummary summariseAssessed(const AssessedEvent &event, const ReadOptions &read, AssessChoices choices)
{
    choices.picture = true;   // the event drawn, whose governing point the charts take
    std::vector<AssessInput> inputs = readMembers(event, read);
    const Assessment assessment = assessMembers(event, inputs, choices);
    return assessSummary(event, assessment, choices.standard);
}

DocumentEvent assessedPage(const AssessedEvent &event, const ReadOptions &read, AssessChoices choices)
{
    choices.picture = true;
    std::vector<AssessInput> inputs = readMembers(event, read);
    Assessment assessment = assessMembers(event, inputs, choices);
    DocumentEvent page;
    page.heading = assessHeading(event, inputs);
    if (!assessment.events.empty())
        page.assessment = std::move(assessment.events.front());
    page.rows = assessRowsTable(assessment, choices.standard);
    page.figures.headers = figuresHeaders();
    for (AssessInput &input : inputs) {
        if (!input.record)
            continue;
        LoadOptions load;
        load.threads = read.threads;
        LoadResult analysed = analyseRecord(std::move(*input.record), input.file, load);
        if (auto *record = std::get_if<AnalysedRecord>(&analysed)) {
            page.figures.rows.push_back(figuresRow(input.file, *record, read.threads));
            page.figures.marked.push_back(record->figures.lawMaxSlow > perceptionThreshold);
            page.levels.push_back(levelTrace(*record));
        }
    }
    return page;
}
