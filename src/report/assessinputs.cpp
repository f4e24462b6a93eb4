#include "report/assessinputs.h"

#include "record/byteinput.h"

#include <algorithm>
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

void readEntries(OpenedRecord &opened, const std::string &path, const EntryRefusal &refusal,
                 std::vector<AssessInput> &inputs)
{
    const std::vector<RecordEntry> &entries = opened.entries();
    for (std::size_t e = 0; e < entries.size(); ++e) {
        AssessInput input;
        input.file = path;
        input.label = entryLabel(entries[e]);
        input.tag = entryTag(entries[e]);
        input.info = entries[e].info;
        if (const auto refused = refusal ? refusal(input.info) : std::nullopt) {
            input.error = LoadError{input.label.empty() ? path : path + ": " + input.label, 0, *refused};
            inputs.push_back(std::move(input));
            continue;
        }
        try {
            ReadResult read = opened.read(e);
            if (auto *error = std::get_if<LoadError>(&read))
                input.error = std::move(*error);
            else
                input.record = std::get<Record>(std::move(read));
        } catch (const std::bad_alloc &) {
            input.error = LoadError{path, 0, "the record does not fit in memory"};
        }
        if (input.record)
            input.info = *input.record;
        inputs.push_back(std::move(input));
    }
}

ChannelInfo channelInfo(const Record &record)
{
    ChannelInfo c{record.network, record.station, record.location, record.channel,
                  static_cast<double>(record.sampleRate), std::nullopt, record.sampleCount};
    if (record.startTime)
        c.startMicros = record.startTime->time_since_epoch().count();
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
    std::vector<AssessInput> inputs;
    try {
        auto byteInput = path == "-" ? openStandardInput(path) : openRecordFile(path);
        if (auto *error = std::get_if<LoadError>(&byteInput))
            return failedInput(path, std::move(*error));
        OpenResult opened = openRecord(std::get<ByteInput>(byteInput), path, options);
        if (auto *error = std::get_if<LoadError>(&opened))
            return failedInput(path, std::move(*error));
        readEntries(std::get<OpenedRecord>(opened), path, refusal, inputs);
    } catch (const std::bad_alloc &) {
        inputs = failedInput(path, LoadError{path, 0, "the record does not fit in memory"});
    }
    return inputs;
}

std::vector<AssessGroup> groupInputs(std::span<const AssessInput> inputs)
{
    std::vector<ChannelInfo> channels;
    std::vector<std::size_t> readOnes;   // the input of each channel
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (inputs[i].record) {
            channels.push_back(channelInfo(*inputs[i].record));
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
        if (!inputs[i].record)
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

AssessedFiles assessFiles(std::span<const std::string> paths, const AssessChoices &choices,
                          const ReadOptions &options)
{
    AssessedFiles done;
    for (const std::string &path : paths)
        for (AssessInput &input : readAssessInputs(path, options))
            done.inputs.push_back(std::move(input));
    done.groups = groupInputs(done.inputs);
    for (const AssessGroup &group : done.groups)
        done.assessments.push_back(assessGroup(group, done.inputs, choices));
    for (AssessInput &input : done.inputs)
        input.record.reset();
    return done;
}
