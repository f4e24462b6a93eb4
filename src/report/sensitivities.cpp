#include "report/sensitivities.h"

#include "analysis/notices.h"

std::variant<RunSensitivities, LoadError> runSensitivities(const ReportOptions &options)
{
    RunSensitivities run;
    run.given = options.sensitivity;
    run.tableName = options.sensitivities.value_or(userSensitivityTablePath());
    // With a sensitivity for every file, no table is read.
    if (run.given || run.tableName.empty())
        return run;
    auto table = readSensitivityTable(run.tableName, !options.sensitivities);
    if (auto *error = std::get_if<LoadError>(&table))
        return std::move(*error);
    run.table = std::get<SensitivityTable>(std::move(table));
    return run;
}

std::string recordWarnings(const std::string &file, const AnalysedRecord &record,
                           const RunSensitivities &sensitivities)
{
    const std::string warning = "sismavue-report: " + file + ": warning: ";
    std::string text;
    for (const std::string &read : record.warnings)
        text += warning + read + '\n';
    if (const auto counts = countsWarning(record)) {
        text += warning + *counts;
        if (!record.sensitivity)
            text += "; give their sensitivity in counts per m/s with --sensitivity S, or as a line "
                    "STATION<TAB>COMPONENT<TAB>S in " +
                    (sensitivities.tableName.empty() ? std::string("a table given with --sensitivities FILE")
                                                     : sensitivities.tableName);
        text += '\n';
    }
    if (const auto lowRate = lowRateNotice(record.sampleRate))
        text += warning + *lowRate + '\n';
    return text;
}
