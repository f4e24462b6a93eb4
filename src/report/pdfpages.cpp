#include "report/pdfpages.h"

#include "report/assessrun.h"
#include "report/pdfassess.h"
#include "report/pdfevents.h"
#include "session/threads.h"

#include <functional>
#include <utility>
#include <variant>

namespace {

std::string titleOf(const ReportOptions &options)
{
    return options.title.value_or("Vibration monitoring report");
}

// Events worked on by helpers, in the order of their index, a few ahead of
// the one taken, so that memory holds only those few.
template <class Result>
class EventsAhead {
public:
    EventsAhead(std::size_t count, std::size_t helpers, std::function<Result(std::size_t)> make)
        : count_(count), ahead_(helpers + 2), make_(std::move(make)),
          pool_(static_cast<int>(helpers), CallerShare::waits, [this](Job &job, int) { job.result = make_(job.index); })
    {
    }

    // The next event's result, waiting for it with `tick`.
    Result next(const WaitTick &tick)
    {
        for (; posted_ < count_ && pool_.inFlight() < ahead_; ++posted_)
            pool_.post({posted_, {}});
        return pool_.take(tick).result;
    }

private:
    struct Job {
        std::size_t index = 0;
        Result result;
    };
    std::size_t count_, ahead_, posted_ = 0;
    std::function<Result(std::size_t)> make_;
    OrderedPool<Job> pool_;   // last: its helpers use what is above
};

} // namespace

PdfPages figuresPages(const ReportOptions &options, const ReadOptions &read, const std::vector<std::string> &files,
                      std::vector<DocumentFailure> &failures, std::ostream &err, bool shown,
                      const ReportTerminal &terminal)
{
    auto events = std::make_shared<std::vector<ReportEvent>>(listEvents(files, read, failures));
    const JobPlan plan = planJobs(options.jobs, events->size());
    ReadOptions each = read;
    each.threads = plan.perFile;
    PdfPages pages;
    auto progress = std::make_shared<EventProgress>(err, shown, terminal.progressAfter);
    progress->start(events->size(), "events read");
    pages.progress = progress;
    std::vector<EventSummary> rows;
    auto kept = std::make_shared<std::vector<ReportEvent>>();
    EventsAhead<std::variant<EventSummary, LoadError>> summaries(
        events->size(), plan.filesAtOnce, [&](std::size_t i) { return summariseEvent((*events)[i], each); });
    for (std::size_t i = 0; i < events->size(); ++i) {
        auto summary = summaries.next(progress->tick());
        if (auto *error = std::get_if<LoadError>(&summary)) {
            failures.push_back(documentFailure(*error));
        } else {
            kept->push_back((*events)[i]);
            rows.push_back(std::get<EventSummary>(std::move(summary)));
        }
        progress->add((*events)[i].samples);
    }
    pages.plan.summary = figuresSummary(titleOf(options), options.site.value_or(""), *kept, rows, failures.size());
    pages.plan.events = kept->size();
    pages.plan.failures = std::move(failures);
    progress->start(kept->size(), "pages drawn");
    auto ahead = std::make_shared<EventsAhead<DocumentEvent>>(
        kept->size(), plan.filesAtOnce, [kept, each](std::size_t i) { return figuresPage((*kept)[i], each); });
    pages.next = [ahead, kept, progress, page = std::make_shared<std::size_t>(0)] {
        DocumentEvent event = ahead->next(progress->tick());
        progress->add((*kept)[(*page)++].samples);
        return event;
    };
    return pages;
}

PdfPages assessedPages(const ReportOptions &options, const RunSensitivities &sensitivities, const ReadOptions &read,
                       const std::vector<std::string> &files, std::vector<DocumentFailure> &failures,
                       std::ostream &err, bool shown, const ReportTerminal &terminal)
{
    auto events = std::make_shared<std::vector<AssessedEvent>>(listAssessedEvents(files, read, sensitivities, failures));
    const AssessChoices choices = assessChoices(options, sensitivities);
    const JobPlan plan = planJobs(options.jobs, events->size());
    ReadOptions each = read;
    each.threads = plan.perFile;
    PdfPages pages;
    auto progress = std::make_shared<EventProgress>(err, shown, terminal.progressAfter);
    progress->start(events->size(), "events read");
    pages.progress = progress;
    std::vector<AssessSummary> rows;
    auto kept = std::make_shared<std::vector<AssessedEvent>>();
    EventsAhead<AssessSummary> summaries(events->size(), plan.filesAtOnce, [&](std::size_t i) {
        return summariseAssessed((*events)[i], each, choices);
    });
    for (std::size_t i = 0; i < events->size(); ++i) {
        AssessSummary summary = summaries.next(progress->tick());
        if (summary.failure)
            failures.push_back(*summary.failure);
        if (summary.assessed) {
            kept->push_back((*events)[i]);
            rows.push_back(std::move(summary));
        }
        progress->add((*events)[i].samples);
    }
    pages.plan.summary =
        assessedSummary(titleOf(options), options.site.value_or(""), choices, *kept, rows, failures.size());
    pages.plan.events = kept->size();
    pages.plan.failures = std::move(failures);
    progress->start(kept->size(), "pages drawn");
    auto ahead = std::make_shared<EventsAhead<DocumentEvent>>(kept->size(), plan.filesAtOnce, [kept, each, choices](std::size_t i) {
        return assessedPage((*kept)[i], each, choices);
    });
    pages.next = [ahead, kept, progress, page = std::make_shared<std::size_t>(0)] {
        DocumentEvent event = ahead->next(progress->tick());
        progress->add((*kept)[(*page)++].samples);
        return event;
    };
    return pages;
}

