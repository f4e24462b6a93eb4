// The monitoring report's texts of an assessment, taken from its rows as
// the table prints them.
#include "report/pdfassess.h"

#include "assess/wording.h"
#include "report/pdfevents.h"
#include "views/assesschart.h"
#include "views/assesstext.h"

#include <array>
#include <set>

namespace {

// The row's text in `column`, "" where it has none.
std::string cellOf(const AssessRow &row, Standard standard, std::string_view column)
{
    const std::span<const std::string_view> columns = assessColumns(standard);
    for (const AssessCell &cell : row.cells)
        if (cell.column < columns.size() && columns[cell.column] == column)
            return cell.text;
    return {};
}

// Vertical, first horizontal, second horizontal: a channel's place in the
// summary's columns, by its orientation.
std::size_t slotOf(const std::string &channel)
{
    const char orientation = channel.empty() ? ' ' : channel.back();
    return orientation == 'N' || orientation == '1' ? 1 : orientation == 'E' || orientation == '2' ? 2 : 0;
}

struct Columns {
    std::vector<std::string_view> names;
    std::vector<std::string> headers;
};

Columns rowColumns(Standard standard)
{
    if (standard == Standard::Din4150_3)
        return {{"kind", "channel", "ppv", "ppvTime", "frequencyZeroCrossing", "frequencySpectrum", "frequencyUsed",
                 "frequencyMethod", "limit", "ratio", "pvs", "verdict"},
                {"Row", "Channel", "PPV mm/s", "at s", "f zero-cr. Hz", "f spectrum Hz", "f used Hz", "Method",
                 "Limit mm/s", "Ratio", "PVS mm/s", "Verdict"}};
    return {{"kind", "channel", "kbFmax", "kbFmaxTime", "kbFTm", "kbFTr", "au", "ao", "ar", "verdict"},
            {"Row", "Channel", "KB_Fmax", "at s", "KB_FTm", "KB_FTr", "A_u", "A_o", "A_r", "Verdict"}};
}

} // namespace

std::vector<std::string> assessSummaryHeaders(Standard standard)
{
    if (standard == Standard::Din4150_3)
        return {"Time (UTC)", "Station", "Channels", "Vert. mm/s", "Hz", "Hor.1 mm/s", "Hz", "Hor.2 mm/s", "Hz",
                "PVS mm/s", "Ratio", "Verdict"};
    return {"Time (UTC)", "Station", "Channels", "Vert. KB_Fmax", "Hor.1 KB_Fmax", "Hor.2 KB_Fmax", "KB_FTr",
            "Verdict"};
}

AssessSummary assessSummary(const AssessedEvent &event, const Assessment &a, Standard standard)
{
    const bool structures = standard == Standard::Din4150_3;
    AssessSummary s;
    std::array<std::string, 6> slots;   // a value and a frequency per place
    std::string station, channels, pvs, setVerdict, leadVerdict, leadTr;
    for (std::size_t r = 0; r < a.rows.size(); ++r) {
        const AssessRow &row = a.rows[r];
        const RowFigures &f = a.figures[r];
        if (station.empty() && !f.sources.empty())
            station = stationTitle(f.sources.front().info);
        if (cellOf(row, standard, "kind") == "set") {
            pvs = cellOf(row, standard, "pvs");
            setVerdict = cellOf(row, standard, "verdict");
            continue;
        }
        const std::string channel = cellOf(row, standard, "channel");
        channels += (channels.empty() ? "" : " ") + channel;
        if (f.error)
            s.failure = DocumentFailure{f.sources.empty() ? event.key.file : f.sources.front().file,
                                        (channel.empty() ? "" : channel + ": ") + *f.error};
        else
            s.paged = true;
        const std::size_t slot = slotOf(channel);
        slots[2 * slot] = cellOf(row, standard, structures ? "ppv" : "kbFmax");
        slots[2 * slot + 1] = structures ? cellOf(row, standard, "frequencyUsed") : "";
        const std::optional<double> measure = f.structure ? f.structure->ratio
                                              : f.people   ? std::optional(f.people->kbFmax)
                                                           : std::nullopt;
        if (leadVerdict.empty() || (measure && (!s.ratio || *measure > *s.ratio))) {
            if (measure)
                s.ratio = measure;
            s.ratioText = cellOf(row, standard, structures ? "ratio" : "kbFmax");
            leadTr = cellOf(row, standard, "kbFTr");
            leadVerdict = cellOf(row, standard, "verdict");
        }
    }
    s.exceeded = a.exceeded;
    s.cells = {eventTime(event.key.start), station, channels};
    if (structures)
        s.cells.insert(s.cells.end(), {slots[0], slots[1], slots[2], slots[3], slots[4], slots[5], pvs, s.ratioText});
    else
        s.cells.insert(s.cells.end(), {slots[0], slots[2], slots[4], leadTr});
    s.cells.push_back(setVerdict.empty() ? leadVerdict : setVerdict);
    if (!a.events.empty()) {
        s.point = governingPoint(a.events.front());
        s.peak = timelineEvent(a.events.front());
    }
    return s;
}

DocumentTable assessRowsTable(const Assessment &assessment, Standard standard)
{
    const Columns columns = rowColumns(standard);
    DocumentTable table;
    table.headers = columns.headers;
    for (const AssessRow &row : assessment.rows) {
        std::vector<std::string> cells;
        for (std::string_view name : columns.names)
            cells.push_back(cellOf(row, standard, name));
        table.rows.push_back(std::move(cells));
        table.marked.push_back(row.verdict == Verdict::Exceeded);
    }
    return table;
}

std::string assessHeading(const AssessedEvent &event, const std::vector<AssessInput> &inputs)
{
    std::string channels, files;
    std::set<std::string> seen;
    for (const AssessInput &input : inputs) {
        channels += (channels.empty() ? "" : " ") + input.info.channel;
        if (seen.insert(input.file).second)
            files += (files.empty() ? "" : ", ") + input.file;
    }
    const std::string station = inputs.empty() ? "" : stationTitle(inputs.front().info);
    return eventTime(event.key.start) + "   " + station + " " + channels + "   " + files;
}

std::vector<std::pair<std::string, std::string>> assessFacts(const AssessChoices &choices)
{
    if (choices.standard == Standard::Din4150_3) {
        const StructureOptions &o = choices.structure;
        const std::string method = o.method == FrequencyMethod::Stricter
                                       ? "stricter (of zero crossings and spectrum, the lower guideline value)"
                                   : o.method == FrequencyMethod::ZeroCrossing
                                       ? "zero-crossing (the two crossings around the peak)"
                                       : "spectrum (its largest line)";
        return {{"Standard", "DIN 4150-3, structures: guideline for " + buildingWords(o.building, o.place)},
                {"Frequency", method}};
    }
    const PeopleOptions &o = choices.people;
    return {{"Standard", "DIN 4150-2, people in buildings: " + std::string(optionName(o.area)) + " area, by " +
                             std::string(optionName(o.period))},
            {"Exposure", o.exposureHours ? shortest(*o.exposureHours) + " h" : "each record's duration"}};
}

DocumentSummary assessedSummary(const std::string &title, const std::string &site, const AssessChoices &choices,
                                const std::vector<AssessedEvent> &events, const std::vector<AssessSummary> &rows,
                                std::size_t failures)
{
    const bool structures = choices.standard == Standard::Din4150_3;
    DocumentSummary summary{title, site, assessFacts(choices), std::nullopt, {}, {}};
    summary.table.headers = assessSummaryHeaders(choices.standard);
    if (structures)
        summary.chart = StructureChart{choices.structure.building, choices.structure.place, true, {}};
    std::size_t exceeded = 0, largest = 0;
    std::vector<std::optional<UtcTime>> starts;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        summary.table.rows.push_back(rows[i].cells);
        summary.table.marked.push_back(rows[i].exceeded);
        exceeded += rows[i].exceeded;
        starts.push_back(events[i].key.start);
        if (rows[i].ratio && (!rows[largest].ratio || *rows[i].ratio > *rows[largest].ratio))
            largest = i;
        if (summary.chart && rows[i].point)
            summary.chart->points.push_back(*rows[i].point);
        if (rows[i].peak)
            summary.timeline.push_back(*rows[i].peak);
    }
    auto &facts = summary.facts;
    const auto counts = countFacts(starts, failures);
    facts.insert(facts.end(), counts.begin(), counts.end() - (failures > 0));
    facts.push_back({"Exceeded", std::to_string(exceeded)});
    if (!rows.empty() && rows[largest].ratio) {
        const std::vector<std::string> &c = rows[largest].cells;
        facts.push_back({structures ? "Largest ratio" : "Largest KB_Fmax",
                         rows[largest].ratioText + ": " + c[0] + ", " + c[1] + " " + c[2]});
    }
    if (failures > 0)
        facts.push_back(counts.back());
    return summary;
}
