#include "report/assesstable.h"

#include "report/escape.h"
#include "report/exceedancetable.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 22> structureColumns{
    "kind",     "file",          "network",     "station",
    "location", "channel",       "startTime",   "ppv",
    "ppvTime",  "frequencyZeroCrossing", "frequencySpectrum", "frequencySpectrumSecond",
    "frequencyUsed", "frequencyMethod", "limit", "ratio",
    "pvs",      "pvsTime",       "governing",   "verdict",
    "notes",    "error"};

constexpr std::array<std::string_view, 19> peopleColumns{
    "kind",   "file",  "network", "station", "location", "channel", "startTime",
    "kbFmax", "kbFmaxTime", "kbFTm", "cycles", "kbFTr", "au", "ao", "ar",
    "governing", "verdict", "notes", "error"};

// The fields of a TSV or CSV line: every column, empty where the row has
// no cell.
std::vector<std::string> fields(Standard standard, const AssessRow &row)
{
    std::vector<std::string> texts(assessColumns(standard).size());
    for (const AssessCell &cell : row.cells)
        texts[cell.column] = cell.text;
    return texts;
}

std::string line(const std::vector<std::string> &texts, TableFormat format)
{
    const bool csv = format == TableFormat::csv;
    std::string text;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            text += csv ? ',' : '\t';
        text += csv ? csvField(texts[i]) : tsvField(texts[i]);
    }
    return text + (csv ? "\r\n" : "\n");
}

std::string jsonObject(const AssessRow &row)
{
    std::string text;
    for (const AssessCell &cell : row.cells)
        text += (text.empty() ? "{" : ", ") + jsonString(cell.name) + ": " + cell.json;
    return text + "}";
}

} // namespace

std::span<const std::string_view> assessColumns(Standard standard)
{
    if (standard == Standard::Din4150_2)
        return peopleColumns;
    return structureColumns;
}

std::string assessTableStart(Standard standard, TableFormat format, bool header)
{
    if (format == TableFormat::json)
        return "[";
    if (!header)
        return {};
    const std::span<const std::string_view> columns = assessColumns(standard);
    return line(std::vector<std::string>(columns.begin(), columns.end()), format);
}

std::string assessTableRow(Standard standard, TableFormat format, const AssessRow &row)
{
    if (format == TableFormat::json)
        return ",\n" + jsonObject(row);
    return line(fields(standard, row), format);
}

std::string assessTableEnd(TableFormat format)
{
    return format == TableFormat::json ? "\n]\n" : "";
}

std::string assessTable(Standard standard, TableFormat format, std::span<const AssessRow> rows, bool header)
{
    std::string rowsText;
    for (const AssessRow &row : rows)
        rowsText += assessTableRow(standard, format, row);
    bool first = true;
    dropFirstSeparator(rowsText, first);
    return assessTableStart(standard, format, header) + rowsText + assessTableEnd(format);
}
