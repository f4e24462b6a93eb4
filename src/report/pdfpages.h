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

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

// The document to write and where its event pages come from, each read
// again when its turn comes; the progress line over both readings.
struct PdfPages {
    DocumentPlan plan;
    NextDocumentEvent next;
    std::shared_ptr<ProgressLine> progress;
};

// Without --assess: a page per record, its figures and its slow level.
// `failures` holds those met so far; `shown`: draw the progress line.
PdfPages figuresPages(const ReportOptions &options, const ReadOptions &read, const std::vector<std::string> &files,
                      std::vector<DocumentFailure> &failures, std::ostream &err, bool shown,
                      const ReportTerminal &terminal);

// With --assess: a page per set or single component.
PdfPages assessedPages(const ReportOptions &options, const RunSensitivities &sensitivities, const ReadOptions &read,
                       const std::vector<std::string> &files, std::vector<DocumentFailure> &failures,
                       std::ostream &err, bool shown, const ReportTerminal &terminal);
