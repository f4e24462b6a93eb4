#pragma once

#include "report/options.h"
#include "report/report.h"
#include "report/sensitivities.h"

#include <iosfwd>
#include <string>
#include <vector>

// The checks of --pdf, --title and --site against the other arguments;
// the reason, or an empty text.
std::string checkPdfOptions(const ReportOptions &options);

// The options of the command line `args`, as given, without the files and
// folders: "--pdf report.pdf --title 'Site A'".
std::string optionsUsed(const std::vector<std::string> &args);

// Writes the monitoring report of the files and folders of `options` into
// options.pdf, each event read, drawn and forgotten in turn. Files that
// could not be read are listed last and said on `err`. Returns the exit
// status: 0; 1 when a file could not be read or the report not written; 3
// with --fail-on-exceeded when the report was written and a verdict is
// "exceeded".
int writePdfReport(const std::vector<std::string> &args, const ReportOptions &options,
                   const RunSensitivities &sensitivities, std::ostream &err, const ReportTerminal &terminal);
