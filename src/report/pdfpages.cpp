#include "report/pdfpages.h"

#include "report/assessrun.h"
#include "report/pdfassess.h"
#include "report/pdfevents.h"
#include "session/threads.h"

#include <functional>
#include <ostream>
#include <utility>

namespace {

std::string titleOf(const ReportOptions &options)
{
    return options.title.value_or("Vibration monitoring report");
}

// How a kind of event becomes the document: its row for the summary (with
// `failure` and `paged`), the summary of the rows, its page.
template <class Event, class Summary>
struct EventKind {
    std::function<Summary(const Event &, const ReadOptions &)> summarise;
    std::function<DocumentSummary(const std::vector<Event> &, const std::vector<Summary> &, std::size_t)> sum;
    std::function<DocumentEvent(const Event &, const ReadOptions &)> page;
};

// Every event read once for the summary, on helpers a few ahead; those that
// get a page are read again when the document reaches them.
template <class Event, class Summary>
PdfPages eventPages(std::vector<Event> listed, const EventKind<Event, Summary> &kind, const ReportOptions &options,
                    const ReadOptions &read, std::vector<DocumentFailure> &failures, std::ostream &err,
                    std::shared_ptr<EventProgress> progress)
{
    auto events = std::make_shared<std::vector<Event>>(std::move(listed));
    const JobPlan plan = planJobs(options.jobs, events->size());
    ReadOptions each = read;
    each.threads = plan.perFile;
    progress->start(events->size(), "events read");
    std::vector<Summary> rows;
    auto kept = std::make_shared<std::vector<Event>>();
    OrderedAhead<Summary> summaries(events->size(), plan.filesAtOnce, plan.filesAtOnce + 2,
                                    [&](std::size_t i) { return kind.summarise((*events)[i], each); });
    for (std::size_t i = 0; i < events->size(); ++i) {
        Summary summary = summaries.next(progress->tick());
        if (!summary.said.empty()) {
            progress->clear();
            err << summary.said << std::flush;
        }
        if (summary.failure)
            failures.push_back(*summary.failure);
        if (summary.paged) {
            kept->push_back((*events)[i]);
            rows.push_back(std::move(summary));
        }
        progress->add((*events)[i].samples);
    }
    PdfPages pages{{kind.sum(*kept, rows, failures.size()), kept->size(), std::move(failures), {}}, {}, progress};
    progress->start(kept->size(), "pages drawn");
    auto ahead = std::make_shared<OrderedAhead<DocumentEvent>>(
        kept->size(), plan.filesAtOnce, plan.filesAtOnce + 2,
        [kept, each, page = kind.page](std::size_t i) { return page((*kept)[i], each); });
    pages.next = [ahead, kept, progress, page = std::make_shared<std::size_t>(0)] {
        DocumentEvent event = ahead->next(progress->tick());
        progress->add((*kept)[(*page)++].samples);
        return event;
    };
    return pages;
}

} // namespace

PdfPages figuresPages(const ReportOptions &options, const RunSensitivities &sensitivities, const ReadOptions &read,
                      const std::vector<std::string> &files, std::vector<DocumentFailure> &failures,
                      std::ostream &err, bool shown, const ReportTerminal &terminal)
{
    const EventKind<ReportEvent, EventSummary> kind{
        [&sensitivities](const ReportEvent &event, const ReadOptions &each) {
            return summariseEvent(event, each, sensitivities);
        },
        [&](const std::vector<ReportEvent> &events, const std::vector<EventSummary> &rows, std::size_t failed) {
            return figuresSummary(titleOf(options), options.site.value_or(""), events, rows, failed);
        },
        figuresPage};
    return eventPages(listEvents(files, read, failures), kind, options, read, failures, err,
                      std::make_shared<EventProgress>(err, shown, terminal.progressAfter));
}

PdfPages assessedPages(const ReportOptions &options, const RunSensitivities &sensitivities, const ReadOptions &read,
                       const std::vector<std::string> &files, std::vector<DocumentFailure> &failures,
                       std::ostream &err, bool shown, const ReportTerminal &terminal)
{
    const AssessChoices choices = assessChoices(options, sensitivities);
    const EventKind<AssessedEvent, AssessSummary> kind{
        [choices](const AssessedEvent &event, const ReadOptions &each) { return summariseAssessed(event, each, choices); },
        [&](const std::vector<AssessedEvent> &events, const std::vector<AssessSummary> &rows, std::size_t failed) {
            return assessedSummary(titleOf(options), options.site.value_or(""), choices, events, rows, failed);
        },
        [choices](const AssessedEvent &event, const ReadOptions &each) { return assessedPage(event, each, choices); }};
    return eventPages(listAssessedEvents(files, read, sensitivities, failures), kind, options, read, failures, err,
                      std::make_shared<EventProgress>(err, shown, terminal.progressAfter));
}
