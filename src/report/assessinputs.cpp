#include "report/assessinputs.h"

#include "record/byteinput.h"
#include "report/reportfile.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

namespace {

std::vector<AssessInput> failedInput(const std::string &path, LoadError error)
{
    std::vector<AssessInput> inputs(1);
    inputs[0].file = path;
    inputs[0].error = std::move(error);
    return inputs;
}

// The entry as its file announces it, unread.
AssessInput listedEntry(const std::string &path, const std::vector<RecordEntry> &entries, std::size_t e)
{
    AssessInput input;
    input.file = path;
    input.label = entryLabel(entries[e]);
    input.tag = entryTag(entries[e]);
    input.info = entries[e].info;
    input.sampleCount = entries[e].sampleCount;
    input.entry = e;
    return input;
}

// Reads the entry into `input`, or gives it its error.
void readEntry(OpenedRecord &opened, AssessInput &input)
{
    try {
        ReadResult read = opened.read(input.entry);
        if (auto *error = std::get_if<LoadError>(&read))
            input.error = std::move(*error);
        else
            input.record = std::get<Record>(std::move(read));
    } catch (const std::bad_alloc &) {
        input.error = LoadError{input.file, 0, "the record does not fit in memory"};
    }
    if (input.record) {
        input.info = *input.record;
        input.sampleCount = input.record->sampleCount;
    }
}

// The file's entries, each read (`read`) or listed; those `refusal` refuses
// get their reason, and so do, read, those the file says cannot be.
void takeEntries(OpenedRecord &opened, const std::string &path, const EntryRefusal &refusal, bool read,
                 std::vector<AssessInput> &inputs)
{
    const std::vector<RecordEntry> &entries = opened.entries();
    for (std::size_t e = 0; e < entries.size(); ++e) {
        AssessInput input = listedEntry(path, entries, e);
        if (const auto refused = refusal ? refusal(input.info) : std::nullopt)
            input.error = LoadError{input.label.empty() ? path : path + ": " + input.label, 0, *refused};
        else if (read || entries[e].problem)
            readEntry(opened, input);
        inputs.push_back(std::move(input));
    }
}

// Every entry of the file at `path`, as takeEntries takes them.
std::vector<AssessInput> openEntries(const std::string &path, const ReadOptions &options,
                                     const EntryRefusal &refusal, bool read)
{
    std::vector<AssessInput> inputs;
    try {
        auto byteInput = path == "-" && read ? openStandardInput(path) : openRecordFile(path);
        if (auto *error = std::get_if<LoadError>(&byteInput))
            return failedInput(path, std::move(*error));
        OpenResult opened = openRecord(std::get<ByteInput>(byteInput), path, options);
        if (auto *error = std::get_if<LoadError>(&opened))
            return failedInput(path, std::move(*error));
        takeEntries(std::get<OpenedRecord>(opened), path, refusal, read, inputs);
    } catch (const std::bad_alloc &) {
        inputs = failedInput(path, LoadError{path, 0, "the record does not fit in memory"});
    }
    return inputs;
}

ChannelInfo channelInfo(const AssessInput &input)
{
    const RecordInfo &info = input.info;
    ChannelInfo c{info.network, info.station, info.location, info.channel,
                  static_cast<double>(info.sampleRate), std::nullopt, input.sampleCount};
    if (info.startTime)
        c.startMicros = info.startTime->time_since_epoch().count();
    return c;
}

AssessRecord assessRecord(const AssessInput &input, const std::optional<std::string> &alone)
{
    AssessRecord record{input.file, &*input.record, {}};
    if (alone)
        record.notes.push_back("not in a set: " + *alone);
    return record;
}

// The failed row of an input that was not read.
Assessment unread(const AssessInput &input, Standard standard)
{
    const std::string reason = input.error ? input.error->reason : "not read";
    const AssessSource source{input.file, input.info, 0};
    Assessment out;
    out.rows.push_back(failedRow(standard, source, reason));
    out.figures.push_back({{source}, std::nullopt, std::nullopt, std::nullopt, reason});
    out.failed = true;
    return out;
}

} // namespace

std::vector<AssessInput> readAssessInputs(const std::string &path, const ReadOptions &options,
                                          const EntryRefusal &refusal)
{
    return openEntries(path, options, refusal, true);
}

std::vector<AssessInput> listAssessInputs(const std::string &path, const ReadOptions &options,
                                          const EntryRefusal &refusal)
{
    return openEntries(path, options, refusal, false);
}

void readListed(std::span<AssessInput> inputs, const ReadOptions &options)
{
    const auto waiting = [](const AssessInput &i) { return !i.record && !i.error; };
    for (std::size_t k = 0; k < inputs.size();) {
        if (!waiting(inputs[k])) {
            ++k;
            continue;
        }
        const std::string file = inputs[k].file;
        std::optional<LoadError> failed;
        std::optional<std::variant<ByteInput, LoadError>> bytes;   // read from until the file's last is
        std::optional<OpenResult> opened;
        try {
            bytes.emplace(openRecordFile(file));
            if (auto *error = std::get_if<LoadError>(&*bytes))
                failed = *error;
            else if (opened = openRecord(std::get<ByteInput>(*bytes), file, options);
                     auto *error = std::get_if<LoadError>(&*opened))
                failed = *error;
        } catch (const std::bad_alloc &) {
            failed = LoadError{file, 0, "the record does not fit in memory"};
        }
        for (; k < inputs.size() && inputs[k].file == file; ++k) {
            AssessInput &input = inputs[k];
            if (!waiting(input))
                continue;
            if (failed)
                input.error = failed;
            else if (OpenedRecord &record = std::get<OpenedRecord>(*opened); input.entry >= record.entries().size())
                input.error = LoadError{file, 0, "has changed since it was first read"};
            else {
                input.info = record.entries()[input.entry].info;
                readEntry(record, input);
            }
        }
    }
}

std::vector<AssessGroup> groupInputs(std::span<const AssessInput> inputs)
{
    std::vector<ChannelInfo> channels;
    std::vector<std::size_t> readOnes;   // the input of each channel
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (!inputs[i].error) {
            channels.push_back(channelInfo(inputs[i]));
            readOnes.push_back(i);
        }
    const ComponentGrouping grouping = groupComponents(channels);
    std::vector<std::optional<AssessGroup>> at(inputs.size());
    for (ComponentSet set : grouping.sets) {
        for (std::size_t &member : set.members)
            member = readOnes[member];
        const std::size_t first = *std::min_element(set.members.begin(), set.members.end());
        at[first] = AssessGroup{{set.members.begin(), set.members.end()}, set, std::nullopt};
    }
    // A record alone in the run was never meant to be in a set.
    for (const LoneChannel &lone : grouping.singles)
        at[readOnes[lone.member]] = AssessGroup{
            {readOnes[lone.member]}, std::nullopt, channels.size() > 1 ? std::optional(lone.reason) : std::nullopt};
    std::vector<AssessGroup> groups;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (inputs[i].error)
            groups.push_back({{i}, std::nullopt, std::nullopt});
        else if (at[i])
            groups.push_back(std::move(*at[i]));
    }
    return groups;
}

Assessment assessGroup(const AssessGroup &group, std::span<const AssessInput> inputs,
                       const AssessChoices &choices)
{
    if (!group.set) {
        const AssessInput &input = inputs[group.members[0]];
        if (!input.record)
            return unread(input, choices.standard);
        return assessSingle(assessRecord(input, group.alone), choices);
    }
    std::array<AssessRecord, 3> records;
    for (std::size_t k = 0; k < 3; ++k)
        records[k] = assessRecord(inputs[group.members[k]], std::nullopt);
    // assessSet takes the set's offsets, its members being the records given.
    ComponentSet own = *group.set;
    own.members = {0, 1, 2};
    return assessSet(records, own, choices);
}

std::vector<AssessInput> readGroup(const AssessGroup &group, std::span<AssessInput> inputs,
                                   const ReadOptions &options)
{
    std::vector<AssessInput> members;
    for (const std::size_t m : group.members) {
        AssessInput &from = inputs[m];
        members.push_back({from.file, from.label, from.tag, from.info, from.sampleCount, from.entry,
                           std::move(from.record), from.error});
        from.record.reset();
    }
    readListed(members, options);
    return members;
}

Assessment assessMembers(const AssessGroup &group, std::span<const AssessInput> members,
                         const AssessChoices &choices)
{
    const auto read = [](const AssessInput &i) { return i.record.has_value(); };
    if (group.set && std::all_of(members.begin(), members.end(), read))
        return assessGroup({{0, 1, 2}, group.set, std::nullopt}, members, choices);
    Assessment all;
    for (std::size_t k = 0; k < members.size(); ++k) {
        Assessment one = assessGroup({{k}, std::nullopt, group.alone}, members, choices);
        all.rows.insert(all.rows.end(), one.rows.begin(), one.rows.end());
        all.figures.insert(all.figures.end(), one.figures.begin(), one.figures.end());
        std::move(one.events.begin(), one.events.end(), std::back_inserter(all.events));
        for (AssessMessage &message : one.messages) {
            message.member = k;
            all.messages.push_back(std::move(message));
        }
        all.failed = all.failed || one.failed;
        all.exceeded = all.exceeded || one.exceeded;
    }
    return all;
}

std::string assessSaid(const AssessGroup &group, std::span<const AssessInput> members, const Assessment &assessment)
{
    const std::string program(messagePrefix);
    const auto place = [&](const AssessInput &i) { return i.label.empty() ? i.file : i.file + ": " + i.label; };
    std::string said;
    for (const AssessInput &input : members)
        for (const std::string &warning : input.record ? input.record->warnings : std::vector<std::string>{})
            said += program + place(input) + ": warning: " + warning + "\n";
    if (group.alone)
        said += program + place(members[0]) + ": not in a set of three components (" + *group.alone +
                "): assessed alone\n";
    for (const AssessMessage &message : assessment.messages)
        said += program + place(members[group.set ? message.member : 0]) +
                (message.warning ? ": warning: " : ": not assessed: ") + message.text + "\n";
    return said;
}
