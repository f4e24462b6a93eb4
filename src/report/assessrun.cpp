#include "report/assessrun.h"

#include "report/assessinputs.h"
#include "report/exceedancetable.h"
#include "report/reportfile.h"
#include "session/threads.h"

#include <ostream>
#include <utility>

namespace {

const std::string program(messagePrefix);

// How messages name an input: "FILE", "FILE: EHZ".
std::string placeOf(const AssessInput &input)
{
    return input.label.empty() ? input.file : input.file + ": " + input.label;
}

struct ReadJob {
    std::size_t file = 0;
    std::vector<AssessInput> inputs;
};

// Every file's records, read with at most options.jobs threads; what could
// not be read, and what the readers noticed, said on `err`.
std::vector<AssessInput> readAll(const ReportOptions &options, const RunSensitivities &sensitivities,
                                 std::ostream &err, ProgressLine &progress, bool &failed)
{
    const std::size_t count = options.files.size();
    const JobPlan plan = planJobs(options.jobs, count);
    ReadOptions read;
    read.threads = plan.perFile;
    read.sensitivity = sensitivities.choice();
    read.channel = options.channel;
    const EntryRefusal refusal = [&](const RecordInfo &info) { return sensitivities.inventoryRefusal(info); };
    OrderedPool<ReadJob> files(static_cast<int>(plan.filesAtOnce), CallerShare::waits, [&](ReadJob &job, int) {
        job.inputs = readAssessInputs(options.files[job.file], read, refusal);
    });
    std::vector<AssessInput> inputs;
    std::size_t posted = 0, done = 0;
    int64_t samples = 0;
    const WaitTick tick = [&] { progress.show(done, samples); };
    for (std::size_t i = 0; i < count; ++i) {
        for (; posted < count && files.inFlight() < plan.filesAtOnce + 1; ++posted)
            files.post({posted, {}});
        for (AssessInput &input : files.take(tick).inputs) {
            // Messages go above the progress line.
            if (input.error || !input.record->warnings.empty())
                progress.clear();
            if (input.error) {
                err << program << input.error->message() << "\n";
                failed = true;
            } else {
                for (const std::string &warning : input.record->warnings)
                    err << program << placeOf(input) << ": warning: " << warning << "\n";
                samples += input.record->sampleCount;
            }
            inputs.push_back(std::move(input));
        }
        err << std::flush;
        ++done;
        tick();
    }
    return inputs;
}

// A set's channels; a component's tag in its file, or, of a set whose
// members were assessed alone, its channel.
std::vector<std::string> pictureTags(const AssessGroup &group, const std::vector<AssessInput> &inputs,
                                     const AssessEvent &event)
{
    if (group.set && event.components.size() == 1)
        return {event.components[0].channel.channel};
    if (!group.set)
        return inputs[group.members[0]].tag.empty() ? std::vector<std::string>{}
                                                    : std::vector<std::string>{inputs[group.members[0]].tag};
    std::vector<std::string> tags;
    for (const std::size_t m : group.members)
        tags.push_back(inputs[m].info.channel);
    return tags;
}

// What an assessment says on standard error: why a record is in no set,
// its refusals and warnings.
void sayMessages(const AssessGroup &group, const Assessment &assessment, const std::vector<AssessInput> &inputs,
                 std::ostream &err)
{
    if (group.alone)
        err << program << placeOf(inputs[group.members[0]]) << ": not in a set of three components ("
            << *group.alone << "): assessed alone\n";
    for (const AssessMessage &message : assessment.messages) {
        const std::size_t member = group.set ? group.members[message.member] : group.members[0];
        err << program << placeOf(inputs[member]) << (message.warning ? ": warning: " : ": not assessed: ")
            << message.text << "\n";
    }
}

struct GroupJob {
    std::size_t group = 0;
    Assessment assessment;
};

} // namespace

AssessChoices assessChoices(const ReportOptions &o, const RunSensitivities &sensitivities)
{
    AssessChoices c;
    c.standard = *o.assess;
    c.structure.building = o.building.value_or(Building::Dwelling);
    c.structure.place = o.place.value_or(Place::Foundation);
    c.structure.method = o.frequency.value_or(FrequencyMethod::Stricter);
    c.people.area = o.area.value_or(Area::Residential);
    c.people.period = o.period.value_or(Period::Day);
    c.people.exposureHours = o.exposure;
    c.segment = o.segment;
    c.picture = o.plotDir.has_value();
    c.countsHint = countsHint(sensitivities.tableName);
    return c;
}

AssessRunEnd reportAssessment(const ReportOptions &options, const RunSensitivities &sensitivities,
                              Pictures *pictures, const std::function<bool(const std::string &)> &write,
                              std::ostream &err, ProgressLine &progress)
{
    AssessRunEnd end;
    const std::vector<AssessInput> inputs = readAll(options, sensitivities, err, progress, end.failed);
    const std::vector<AssessGroup> groups = groupInputs(inputs);
    const AssessChoices choices = assessChoices(options, sensitivities);
    const JobPlan plan = planJobs(options.jobs, groups.size());
    const int workers = static_cast<int>(plan.filesAtOnce);
    std::optional<PictureQueue> queue;
    if (pictures)
        queue.emplace(*pictures, workers);
    OrderedPool<GroupJob> pool(workers, CallerShare::waits, [&](GroupJob &job, int) {
        job.assessment = assessGroup(groups[job.group], inputs, choices);
    });
    const std::size_t ahead = pictures ? plotAhead + plan.filesAtOnce : groups.size();
    int64_t samples = 0;
    for (const AssessInput &input : inputs)
        samples += input.record ? input.record->sampleCount : 0;
    const WaitTick tick = [&] { progress.show(options.files.size(), samples); };
    std::size_t posted = 0;
    bool firstRow = true;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (; posted < groups.size() && pool.inFlight() < ahead; ++posted)
            pool.post({posted, {}});
        Assessment assessment = pool.take(tick).assessment;
        progress.clear();   // before the rows and the messages
        sayMessages(groups[g], assessment, inputs, err);
        err << std::flush;
        end.failed = end.failed || assessment.failed;
        end.exceeded = end.exceeded || assessment.exceeded;
        std::string rows;
        for (const AssessRow &row : assessment.rows)
            rows += assessTableRow(choices.standard, options.format, row);
        dropFirstSeparator(rows, firstRow);
        if (!write(rows)) {
            end.writeFailed = true;
            return end;
        }
        const AssessInput &first = inputs[groups[g].members[0]];
        for (AssessEvent &event : assessment.events) {
            const std::string name = assessPictureName(first.file, pictureTags(groups[g], inputs, event), choices.standard,
                                                       pictures->format);
            queue->add(AssessPlot{name, first.file, std::move(event)}, tick);
        }
    }
    if (queue) {
        const std::vector<std::string> reasons = queue->finish(tick);
        progress.clear();
        for (const std::string &reason : reasons)
            err << program << reason << "\n" << std::flush;
        end.failed = end.failed || !reasons.empty();
    }
    return end;
}
