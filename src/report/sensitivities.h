#pragma once

#include "analysis/levels.h"
#include "record/loaderror.h"
#include "settings/inventory.h"
#include "settings/sensitivitytable.h"
#include "report/options.h"

#include <optional>
#include <string>
#include <variant>

// Where a run's sensitivities come from: --sensitivity for every file, or
// else the inventory of --inventory FILE, then the table of --sensitivities
// FILE or the person's own.
struct RunSensitivities {
    std::optional<double> given;
    SensitivityTable table;
    std::string tableName;   // the table's path, named in the counts warning
    std::optional<Inventory> inventory;

    // Refers to this, which must outlive the reads that use it.
    SensitivityChoice choice() const;

    // Why a record of the channel `info` names is not read: the inventory
    // holds the channel but gives no velocity sensitivity for the record's
    // start (it measures acceleration, no epoch holds the start, ...).
    // None without an inventory, or for a channel it does not hold, which
    // the next source serves.
    std::optional<std::string> inventoryRefusal(const RecordInfo &info) const;
};

// Reads the table and the inventory the options name; a table named with
// --sensitivities must exist, the person's own may not.
std::variant<RunSensitivities, LoadError> runSensitivities(const ReportOptions &options);

// The warnings about `record`, one line each as
// "sismavue-report: FILE: warning: ...": the reader's, values that cannot
// be m/s, and a low rate. Empty when there is nothing to say.
std::string recordWarnings(const std::string &file, const AnalysedRecord &record,
                           const RunSensitivities &sensitivities);
