#include "report/report.h"

#include "report/exceedancetable.h"
#include "report/pictures.h"
#include "report/plot.h"
#include "report/progress.h"
#include "report/reportfile.h"
#include "report/sensitivities.h"
#include "report/table.h"
#include "session/threads.h"

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <system_error>
#include <thread>
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

// Records waiting to be drawn hold their samples, and drawn pictures their
// pixels: with --plot the files are analysed at most this many ahead of the
// one being drawn, and as many pictures wait to be written.
constexpr size_t plotAhead = 4;

// Works with at most options.jobs threads (one per core when not given): on
// several files at once, and on each with the threads left over; rows come
// out in the order given, and the work stops when they cannot be written.
// Pictures are drawn on this thread, which owns the toolkit, and encoded and
// written by the workers, before they take the next file.
Run reportAll(const ReportOptions &options, const RunSensitivities &sensitivities,
              Pictures *pictures, std::ostream &out, std::ostream &err, ProgressLine &progress,
              bool outIsTerminal)
{
    const size_t count = options.files.size();
    std::vector<Outcome> outcomes(count);
    std::vector<bool> done(count, false);
    size_t finished = 0;        // files done, in any order
    int64_t samplesDone = 0;    // in the files done
    std::mutex mutex;
    std::condition_variable ready;
    size_t next = 0;            // the next file to start
    size_t emitted = 0;         // files whose output is written and pictures drawn
    std::deque<PictureJob> toWrite;
    size_t writing = 0;         // pictures taken from toWrite, not yet written
    std::vector<std::vector<uint32_t>> spare;   // pixels of written pictures
    std::vector<std::string> pictureErrors(count);
    bool drawingDone = pictures == nullptr;
    bool stopping = false;

    const JobPlan plan = planJobs(options.jobs, count);
    const size_t workers = plan.filesAtOnce;
    const size_t ahead = plotAhead + workers;
    const auto work = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            ready.wait(lock, [&] {
                return stopping || !toWrite.empty() ||
                       (next < count && (!pictures || next < emitted + ahead)) ||
                       (next == count && drawingDone);
            });
            if (stopping)
                return;
            if (!toWrite.empty()) {
                PictureJob job = std::move(toWrite.front());
                toWrite.pop_front();
                ++writing;
                lock.unlock();
                const std::optional<std::string> failed = pictures->write(job);
                lock.lock();
                --writing;
                spare.push_back(std::move(job.picture.pixels));
                if (failed)
                    pictureErrors[job.file] += program + *failed + "\n";
                ready.notify_all();
            } else if (next < count) {
                const size_t i = next++;
                lock.unlock();
                Outcome outcome =
                    reportFile(options.files[i], options, i + 1 == count, plan.perFile, sensitivities);
                lock.lock();
                ++finished;
                samplesDone += outcome.samples;
                outcomes[i] = std::move(outcome);
                done[i] = true;
                ready.notify_all();
            } else {
                return;
            }
        }
    };
    std::vector<std::jthread> threads;
    try {
        for (size_t w = 0; w < workers; ++w)
            threads.emplace_back(work);
    } catch (const std::system_error &) {
        // The system gives no more threads: those started share the files.
        if (threads.empty())
            threads.emplace_back(work);
    }

    const auto stop = [&] {
        std::lock_guard lock(mutex);
        stopping = true;
        ready.notify_all();
    };
    bool allOk = true;
    bool firstRow = true;
    for (size_t i = 0; i < count; ++i) {
        std::unique_lock lock(mutex);
        // The progress line moves on while the next row in order is awaited.
        while (!ready.wait_for(lock, std::chrono::milliseconds(100), [&] { return done[i]; })) {
            const auto [files, samples] = std::pair(finished, samplesDone);
            lock.unlock();
            progress.show(files, samples);
            lock.lock();
        }
        Outcome outcome = std::move(outcomes[i]);
        const auto [files, samples] = std::pair(finished, samplesDone);
        lock.unlock();
        if (outcome.badArguments) {
            progress.clear();
            err << program << outcome.message << "\nTry 'sismavue-report --help'.\n" << std::flush;
            stop();
            return Run::badArguments;
        }
        // Rows and messages go above the progress line.
        if (outIsTerminal || !outcome.message.empty())
            progress.clear();
        err << outcome.message << std::flush;
        if (options.exceedances)
            dropFirstSeparator(outcome.row, firstRow);
        if (!writeOut(out, err, progress, outcome.row)) {
            stop();
            return Run::writeFailed;
        }
        for (PlotRecord &plot : outcome.plots) {
            std::vector<uint32_t> pixels;
            lock.lock();
            if (!spare.empty()) {
                pixels = std::move(spare.back());
                spare.pop_back();
            }
            lock.unlock();
            PictureJob job = pictures->draw(i, std::move(plot), std::move(pixels));
            lock.lock();
            ready.wait(lock, [&] { return toWrite.size() < ahead; });
            toWrite.push_back(std::move(job));
            ready.notify_all();
            lock.unlock();
        }
        lock.lock();
        emitted = i + 1;
        ready.notify_all();
        lock.unlock();
        progress.show(files, samples);
        allOk = allOk && outcome.ok;
    }
    if (pictures) {
        std::unique_lock lock(mutex);
        drawingDone = true;
        ready.notify_all();
        ready.wait(lock, [&] { return toWrite.empty() && writing == 0; });
        progress.clear();
        for (const std::string &message : pictureErrors) {
            err << message << std::flush;
            allOk = allOk && message.empty();
        }
    }
    return allOk ? Run::allReported : Run::fileFailed;
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
    std::optional<Pictures> pictures;
    if (options.plotDir) {
        auto prepared = preparePictures(options);
        if (const auto *error = std::get_if<std::string>(&prepared)) {
            err << program << *error << "\n" << std::flush;
            return 1;
        }
        pictures = std::get<Pictures>(std::move(prepared));
    }
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
