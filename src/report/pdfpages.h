#pragma once

// The monitoring report's two kinds of event, from the files to the pages:
// each event read and summed up for the summary, then read again for its
// page when the document reaches it; helpers work a few events ahead.

#include "record/recordreader.h"
#include "report/options.h"
#include "report/pdfdocument.h"
#include "report/progress.h"
#include "report/report.h"
#include "report/sensitivities.h"
#include "session/threads.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

// The progress line of the events read for the summary, then of the pages
// drawn: how many, of how many samples. On the caller's thread only.
class EventProgress {
public:
    EventProgress(std::ostream &terminal, bool shown, ProgressLine::Clock::duration after)
        : terminal_(terminal), shown_(shown), after_(after)
    {
    }
    void start(std::size_t total, std::string things)
    {
        clear();
        line_ = std::make_unique<ProgressLine>(terminal_, shown_, total, after_, std::move(things));
        done_ = 0;
        samples_ = 0;
    }
    void add(int64_t samples)
    {
        ++done_;
        samples_ += samples;
        line_->show(done_, samples_);
    }
    WaitTick tick()
    {
        return [this] { line_->show(done_, samples_); };
    }
    void clear()
    {
        if (line_)
            line_->clear();
    }

private:
    std::ostream &terminal_;
    bool shown_;
    ProgressLine::Clock::duration after_;
    std::unique_ptr<ProgressLine> line_;
    std::size_t done_ = 0;
    int64_t samples_ = 0;
};

// The document to write and where its event pages come from, each read
// again when its turn comes.
struct PdfPages {
    DocumentPlan plan;
    NextDocumentEvent next;
    std::shared_ptr<EventProgress> progress;
};

// Without --assess: a page per record, its figures and its slow level.
// `failures` holds those met so far; `shown`: draw the progress line.
PdfPages figuresPages(const ReportOptions &options, const RunSensitivities &sensitivities, const ReadOptions &read,
                      const std::vector<std::string> &files, std::vector<DocumentFailure> &failures,
                      std::ostream &err, bool shown, const ReportTerminal &terminal);

// With --assess: a page per set or single component.
PdfPages assessedPages(const ReportOptions &options, const RunSensitivities &sensitivities, const ReadOptions &read,
                       const std::vector<std::string> &files, std::vector<DocumentFailure> &failures,
                       std::ostream &err, bool shown, const ReportTerminal &terminal);
