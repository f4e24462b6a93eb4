#include "report/assessrun.h"

#include "report/assessinputs.h"
#include "report/exceedancetable.h"
#include "report/reportfile.h"
#include "session/threads.h"

#include <ostream>
#include <span>
#include <utility>

namespace {

const std::string program(messagePrefix);

ReadOptions readOptions(const ReportOptions &options, const RunSensitivities &sensitivities, const JobPlan &plan)
{
    ReadOptions read;
    read.threads = plan.perFile;
    read.sensitivity = sensitivities.choice();
    read.channel = options.channel;
    return read;
}

// Every file's records as the files announce them, listed with at most
// options.jobs threads; standard input, which can be read only once, read
// and kept. What cannot be read said on `err`, what the reader noticed
// later with its group; `fileOf` each one's file.
std::vector<AssessInput> listAll(const ReportOptions &options, const RunSensitivities &sensitivities,
                                 std::ostream &err, ProgressLine &progress, bool &failed,
                                 std::vector<std::size_t> &fileOf)
{
    const std::size_t count = options.files.size();
    const JobPlan plan = planJobs(options.jobs, count);
    const ReadOptions read = readOptions(options, sensitivities, plan);
    const EntryRefusal refusal = [&](const RecordInfo &info) { return sensitivities.inventoryRefusal(info); };
    OrderedAhead<std::vector<AssessInput>> files(count, plan.filesAtOnce, plan.filesAtOnce + 1, [&](std::size_t f) {
        const std::string &file = options.files[f];
        return file == "-" ? readAssessInputs(file, read, refusal) : listAssessInputs(file, read, refusal);
    });
    std::vector<AssessInput> inputs;
    const WaitTick tick = [&] { progress.show(0, 0); };
    for (std::size_t f = 0; f < count; ++f)
        for (AssessInput &input : files.next(tick)) {
            if (input.error) {
                // Messages go above the progress line.
                progress.clear();
                err << program << input.error->message() << "\n" << std::flush;
                failed = true;
            }
            inputs.push_back(std::move(input));
            fileOf.push_back(f);
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

// A group read and assessed, its records dropped: what its reading said,
// how many samples it read.
struct GroupDone {
    Assessment assessment;
    std::string said;
    int64_t samples = 0;
};

GroupDone readAndAssess(const AssessGroup &group, std::span<AssessInput> inputs, const AssessChoices &choices,
                        const ReadOptions &read)
{
    GroupDone done;
    std::vector<bool> readHere;   // what was listed was said then
    for (const std::size_t m : group.members)
        readHere.push_back(!inputs[m].error && !inputs[m].record);
    const std::vector<AssessInput> members = readGroup(group, inputs, read);
    for (std::size_t k = 0; k < members.size(); ++k) {
        if (readHere[k] && members[k].error)
            done.said += program + members[k].error->message() + "\n";
        done.samples += members[k].record ? members[k].record->sampleCount : 0;
    }
    done.assessment = assessMembers(group, members, choices);
    done.said += assessSaid(group, members, done.assessment);
    return done;
}

// Files done once every record of theirs is: `left` counts each file's.
struct FilesDone {
    std::vector<std::size_t> left;
    std::size_t done = 0;

    void add(const AssessGroup &group, const std::vector<std::size_t> &fileOf)
    {
        for (const std::size_t m : group.members)
            --left[fileOf[m]];
        while (done < left.size() && left[done] == 0)
            ++done;
    }
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
    std::vector<std::size_t> fileOf;
    std::vector<AssessInput> inputs = listAll(options, sensitivities, err, progress, end.failed, fileOf);
    const std::vector<AssessGroup> groups = groupInputs(inputs);
    const AssessChoices choices = assessChoices(options, sensitivities);
    const JobPlan plan = planJobs(options.jobs, groups.size());
    const ReadOptions read = readOptions(options, sensitivities, plan);
    std::optional<PictureQueue> queue;
    if (pictures)
        queue.emplace(*pictures, static_cast<int>(plan.filesAtOnce));
    // A few groups ahead of the one printed, so that memory holds only theirs.
    OrderedAhead<GroupDone> pool(groups.size(), plan.filesAtOnce, plan.filesAtOnce + (pictures ? plotAhead : 2),
                                 [&](std::size_t g) { return readAndAssess(groups[g], inputs, choices, read); });
    FilesDone files{std::vector<std::size_t>(options.files.size(), 0)};
    for (const std::size_t f : fileOf)
        ++files.left[f];
    files.add({}, fileOf);   // files of no record
    int64_t samples = 0;
    const WaitTick tick = [&] { progress.show(files.done, samples); };
    bool firstRow = true;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        GroupDone done = pool.next(tick);
        Assessment &assessment = done.assessment;
        progress.clear();   // before the rows and the messages
        err << done.said << std::flush;
        end.failed = end.failed || assessment.failed;
        end.exceeded = end.exceeded || assessment.exceeded;
        samples += done.samples;
        files.add(groups[g], fileOf);
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
