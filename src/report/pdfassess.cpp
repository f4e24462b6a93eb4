#include "report/pdfassess.h"

#include "analysis/loadrecord.h"
#include "report/assessinputs.h"
#include "report/pdfevents.h"
#include "views/assesschart.h"
#include "views/assesstext.h"

#include <algorithm>
#include <utility>

namespace {

// Every record the files hold that may be read, as they announce it; the
// others go to `failures`.
std::vector<AssessInput> listInputs(const std::vector<std::string> &files, const ReadOptions &read,
                                    const RunSensitivities &sensitivities, std::vector<DocumentFailure> &failures)
{
    const EntryRefusal refusal = [&](const RecordInfo &info) { return sensitivities.inventoryRefusal(info); };
    std::vector<AssessInput> inputs;
    for (const std::string &file : files)
        for (AssessInput &input : listAssessInputs(file, read, refusal)) {
            if (!input.error)
                inputs.push_back(std::move(input));
            else if (input.label.empty())
                failures.push_back(documentFailure(*input.error));
            else
                failures.push_back({input.file, input.label + ": " + input.error->reason});
        }
    return inputs;
}

// The members' records, those of one file read from one opening of it.
std::vector<AssessInput> readMembers(const AssessedEvent &event, const ReadOptions &read)
{
    std::vector<AssessInput> inputs(event.members.size());
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        inputs[k].file = event.members[k].file;
        inputs[k].entry = event.members[k].entry;
        inputs[k].label = event.members[k].label;
    }
    readListed(inputs, read);
    return inputs;
}

AssessGroup groupOf(const AssessedEvent &event)
{
    return {{}, event.set, event.alone};
}

} // namespace

std::vector<AssessedEvent> listAssessedEvents(const std::vector<std::string> &files, const ReadOptions &read,
                                              const RunSensitivities &sensitivities,
                                              std::vector<DocumentFailure> &failures)
{
    const std::vector<AssessInput> inputs = listInputs(files, read, sensitivities, failures);
    std::vector<AssessedEvent> events;
    for (const AssessGroup &group : groupInputs(inputs)) {
        AssessedEvent event;
        for (const std::size_t m : group.members) {
            event.members.push_back({inputs[m].file, inputs[m].entry, inputs[m].label});
            event.samples += inputs[m].sampleCount;
        }
        event.set = group.set;
        if (event.set)
            event.set->members = {0, 1, 2};
        event.alone = group.alone;
        // A set's start is its first component's; its place in a file its first record's.
        const AssessInput &first = inputs[group.members[0]];
        const std::size_t earliest = *std::min_element(group.members.begin(), group.members.end());
        event.key = {first.info.startTime, inputs[earliest].file, inputs[earliest].entry};
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
    const Assessment assessment = assessMembers(groupOf(event), inputs, choices);
    AssessSummary summary = assessSummary(event, assessment, choices.standard);
    summary.said = assessSaid(groupOf(event), inputs, assessment);
    return summary;
}

DocumentEvent assessedPage(const AssessedEvent &event, const ReadOptions &read, AssessChoices choices)
{
    choices.picture = true;
    std::vector<AssessInput> inputs = readMembers(event, read);
    Assessment assessment = assessMembers(groupOf(event), inputs, choices);
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
