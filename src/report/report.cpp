#include "report/report.h"

#include "report/assessrun.h"
#include "report/assesstable.h"
#include "report/exceedancetable.h"
#include "report/pdfreport.h"
#include "report/pictures.h"
#include "report/progress.h"
#include "report/reportfile.h"
#include "report/sensitivities.h"
#include "report/table.h"
#include "session/threads.h"

#include <cerrno>
#include <ostream>
#include <utility>
#include <variant>

namespace {

const std::string program(messagePrefix);

// Writes and flushes standard output. A write that fails (a full disk, a
// closed pipe) is said on err; returns false then.
bool writeOut(std::ostream &out, std::ostream &err, ProgressLine &progress, const std::string &text)
{
    errno = 0;
    out << text << std::flush;
    if (out)
        return true;
    const int error = errno;
    progress.clear();
    err << program << "standard output: " << (error != 0 ? systemReason(error) : "write error") << "\n"
        << std::flush;
    return false;
}

enum class Run { allReported, fileFailed, writeFailed, badArguments };

// One file's outcome, worked out by a helper.
struct FileJob {
    size_t file = 0;
    Outcome outcome;
};

// Works with at most options.jobs threads on files (one per core when not
// given): on several files at once, and on each with the threads left over;
// rows come out in the order given, and the work stops when they cannot be
// written.
Run reportAll(const ReportOptions &options, const RunSensitivities &sensitivities,
              Pictures *pictures, std::ostream &out, std::ostream &err, ProgressLine &progress,
              bool outIsTerminal)
{
    const size_t count = options.files.size();
    const JobPlan plan = planJobs(options.jobs, count);
    const int workers = static_cast<int>(plan.filesAtOnce);
    std::optional<PictureQueue> queue;
    if (pictures)
        queue.emplace(*pictures, workers);
    OrderedPool<FileJob> files(workers, CallerShare::waits, [&](FileJob &job, int) {
        job.outcome = reportFile(options.files[job.file], options, job.file + 1 == count, plan.perFile,
                                 sensitivities);
    });
    const size_t ahead = files.helpers() == 0 ? 1 : pictures ? plotAhead + plan.filesAtOnce : count;
    size_t posted = 0, done = 0;
    int64_t samples = 0;
    // The progress line moves on while the next row in order is awaited.
    const WaitTick tick = [&] { progress.show(done, samples); };
    bool allOk = true;
    bool firstRow = true;
    for (size_t i = 0; i < count; ++i) {
        for (; posted < count && files.inFlight() < ahead; ++posted)
            files.post({posted, {}});
        Outcome outcome = files.take(tick).outcome;
        ++done;
        samples += outcome.samples;
        if (outcome.badArguments) {
            progress.clear();
            err << program << outcome.message << "\nTry 'sismavue-report --help'.\n" << std::flush;
            return Run::badArguments;
        }
        // Rows and messages go above the progress line.
        if (outIsTerminal || !outcome.message.empty())
            progress.clear();
        err << outcome.message << std::flush;
        if (options.exceedances)
            dropFirstSeparator(outcome.row, firstRow);
        if (!writeOut(out, err, progress, outcome.row))
            return Run::writeFailed;
        for (PlotRecord &plot : outcome.plots)
            queue->add(std::move(plot), tick);
        tick();
        allOk = allOk && outcome.ok;
    }
    if (queue) {
        const std::vector<std::string> reasons = queue->finish(tick);
        progress.clear();
        for (const std::string &reason : reasons)
            err << program << reason << "\n" << std::flush;
        allOk = allOk && reasons.empty();
    }
    return allOk ? Run::allReported : Run::fileFailed;
}

// The assessment's table; exit status 3 with --fail-on-exceeded when a
// verdict is "exceeded", also when a file failed beside it.
int runAssessment(const ReportOptions &options, const RunSensitivities &sensitivities,
                  std::optional<Pictures> &pictures, std::ostream &out, std::ostream &err, ProgressLine &progress)
{
    const auto write = [&](const std::string &text) { return writeOut(out, err, progress, text); };
    if (!write(assessTableStart(*options.assess, options.format, !options.noHeader)))
        return 1;
    const AssessRunEnd end =
        reportAssessment(options, sensitivities, pictures ? &*pictures : nullptr, write, err, progress);
    if (pictures)
        pictures->module->stop();
    progress.clear();
    if (end.writeFailed || !write(assessTableEnd(options.format)))
        return 1;
    if (options.failOnExceeded && end.exceeded)
        return 3;
    return end.failed ? 1 : 0;
}

} // namespace

int runReport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
              const ReportTerminal &terminal)
{
    const auto parsed = parseArguments(args);
    if (const auto *error = std::get_if<ArgumentError>(&parsed)) {
        err << program << error->message << "\nTry 'sismavue-report --help'.\n" << std::flush;
        return 2;
    }
    const ReportOptions &options = std::get<ReportOptions>(parsed);
    ProgressLine progress(err, terminal.errIsTerminal && !options.quiet && !options.help,
                          options.files.size(), terminal.progressAfter);
    if (options.help)
        return writeOut(out, err, progress, helpText()) ? 0 : 1;
    if (options.version)
        return writeOut(out, err, progress, "sismavue-report " SISMAVUE_VERSION "\n") ? 0 : 1;

    const auto sensitivities = runSensitivities(options);
    if (const auto *error = std::get_if<LoadError>(&sensitivities)) {
        err << program << error->message() << "\n" << std::flush;
        return 1;
    }
    if (options.pdf)
        return writePdfReport(args, options, std::get<RunSensitivities>(sensitivities), err, terminal);
    std::optional<Pictures> pictures;
    if (options.plotDir) {
        auto prepared = preparePictures(options);
        if (const auto *error = std::get_if<std::string>(&prepared)) {
            err << program << *error << "\n" << std::flush;
            return 1;
        }
        pictures = std::get<Pictures>(std::move(prepared));
    }
    if (options.assess)
        return runAssessment(options, std::get<RunSensitivities>(sensitivities), pictures, out, err, progress);
    const std::string start = options.spectrum      ? ""
                              : options.exceedances ? exceedanceTableStart(options.format, !options.noHeader)
                                                    : tableStart(options.format, !options.noHeader);
    if (!writeOut(out, err, progress, start))
        return 1;
    const Run run = reportAll(options, std::get<RunSensitivities>(sensitivities),
                              pictures ? &*pictures : nullptr, out, err, progress, terminal.outIsTerminal);
    if (pictures)
        pictures->module->stop();
    progress.clear();
    if (run == Run::writeFailed)
        return 1;
    if (run == Run::badArguments)
        return 2;
    const std::string end = options.spectrum      ? ""
                            : options.exceedances ? exceedanceTableEnd(options.format)
                                                  : tableEnd(options.format);
    if (!writeOut(out, err, progress, end))
        return 1;
    return run == Run::allReported ? 0 : 1;
}
