#include "window/assessfigures.h"

#include <algorithm>

namespace {

// The main window's segment of the shown record, counted in the span its
// set shares as the report's --segment counts it.
std::optional<RequestedSegment> segmentOf(const AssessGroup &group, std::size_t shown,
                                          const WindowChoices &choices)
{
    if (!choices.segment)
        return std::nullopt;
    int64_t offset = 0;
    if (group.set) {
        const auto k = std::find(group.members.begin(), group.members.end(), shown) - group.members.begin();
        offset = group.set->offsets[static_cast<std::size_t>(k)];
    }
    return RequestedSegment{choices.segment->first - offset, choices.segment->second - offset};
}

// The reasons an assessment gave no event.
std::string refusals(const Assessment &assessment)
{
    std::string text;
    for (const AssessMessage &m : assessment.messages)
        if (!m.warning)
            text += (text.empty() ? "" : "; ") + m.text;
    return text.empty() ? std::string("no figures") : text;
}

// The report's messages of the group's records, each once.
void addNotes(std::vector<std::string> &notes, const Assessment &assessment, const AssessRecords &flat,
              const AssessGroup &group)
{
    for (const AssessMessage &m : assessment.messages) {
        const std::string &channel = flat.inputs[group.members[group.set ? m.member : 0]].info.channel;
        const std::string text = channel + (m.warning ? ": warning: " : ": not assessed: ") + m.text;
        if (std::find(notes.begin(), notes.end(), text) == notes.end())
            notes.push_back(text);
    }
}

} // namespace

void addRecords(AssessRecords &records, std::size_t file, std::vector<AssessInput> &&inputs)
{
    for (std::size_t e = 0; e < inputs.size(); ++e) {
        records.inputs.push_back(std::move(inputs[e]));
        records.at.push_back({file, e});
    }
}

void dropRecords(AssessRecords &records, std::size_t file)
{
    AssessRecords kept;
    for (std::size_t i = 0; i < records.inputs.size(); ++i)
        if (const RecordAt at = records.at[i]; at.file != file) {
            kept.inputs.push_back(std::move(records.inputs[i]));
            kept.at.push_back({at.file > file ? at.file - 1 : at.file, at.entry});
        }
    records = std::move(kept);
}

AssessFigures assessFigures(const AssessRecords &flat, RecordAt shown, const WindowChoices &choices)
{
    AssessFigures figures;
    const auto found = std::find(flat.at.begin(), flat.at.end(), shown);
    const std::size_t index = static_cast<std::size_t>(found - flat.at.begin());
    if (found == flat.at.end() || !flat.inputs[index].record) {
        figures.error = "the record shown could not be read again";
        return figures;
    }
    const std::vector<AssessGroup> groups = groupInputs(flat.inputs);
    const auto group = std::find_if(groups.begin(), groups.end(), [&](const AssessGroup &g) {
        return std::find(g.members.begin(), g.members.end(), index) != g.members.end();
    });
    if (group == groups.end()) {
        figures.error = "the record shown is in no group";
        return figures;
    }
    for (const std::size_t m : group->members) {
        figures.members.push_back(flat.at[m]);
        figures.channels.push_back(flat.inputs[m].info.channel);
    }
    // A file added that holds no record says why.
    for (const AssessInput &input : flat.inputs)
        if (input.error)
            figures.notes.push_back(input.error->message());
    if (group->alone)
        figures.notes.push_back(flat.inputs[index].info.channel + " is assessed alone: " + *group->alone);
    AssessChoices c;
    c.structure = choices.structure;
    c.people = choices.people;
    c.segment = segmentOf(*group, index, choices);
    c.picture = true;
    c.countsHint = choices.countsHint;
    for (const Standard standard : {Standard::Din4150_3, Standard::Din4150_2}) {
        c.standard = standard;
        Assessment done = assessGroup(*group, flat.inputs, c);
        const bool people = standard == Standard::Din4150_2;
        (people ? figures.peopleRows : figures.structureRows) = std::move(done.rows);
        addNotes(figures.notes, done, flat, *group);
        std::optional<std::string> &error = people ? figures.peopleError : figures.error;
        if (done.events.empty())
            error = refusals(done);
        else
            (people ? figures.people : figures.structure) = std::move(done.events.front());
    }
    return figures;
}
