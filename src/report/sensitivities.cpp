#include "report/sensitivities.h"

#include "analysis/notices.h"

#include <algorithm>

namespace {

std::optional<int64_t> microsOf(std::optional<UtcTime> time)
{
    if (!time)
        return std::nullopt;
    return time->time_since_epoch().count();
}

std::variant<double, std::string> lookUp(const Inventory &inventory, const ChannelKey &key)
{
    return inventorySensitivity(inventory, key.network, key.station, key.location, key.channel,
                                microsOf(key.start));
}

} // namespace

SensitivityChoice RunSensitivities::choice() const
{
    SensitivityChoice choice{given, &table, {}};
    if (inventory)
        choice.lookup = [this](const ChannelKey &key) -> std::optional<double> {
            const auto found = lookUp(*inventory, key);
            if (const double *value = std::get_if<double>(&found))
                return *value;
            return std::nullopt;
        };
    return choice;
}

std::optional<std::string> RunSensitivities::inventoryRefusal(const RecordInfo &info) const
{
    if (!inventory || given)
        return std::nullopt;
    const ChannelKey key{info.network, info.station, info.location, info.channel, info.startTime};
    const auto found = lookUp(*inventory, key);
    const auto *reason = std::get_if<std::string>(&found);
    const bool holds = std::any_of(inventory->epochs.begin(), inventory->epochs.end(), [&](const InventoryEpoch &e) {
        return e.network == info.network && e.station == info.station && e.location == info.location &&
               e.channel == info.channel;
    });
    if (!reason || !holds)
        return std::nullopt;
    return *reason;
}

std::variant<RunSensitivities, LoadError> runSensitivities(const ReportOptions &options)
{
    RunSensitivities run;
    run.given = options.sensitivity;
    if (options.inventory) {
        auto inventory = readInventory(*options.inventory);
        if (auto *error = std::get_if<LoadError>(&inventory))
            return std::move(*error);
        run.inventory = std::get<Inventory>(std::move(inventory));
    }
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
