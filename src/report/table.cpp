#include "report/table.h"

#include "report/escape.h"
#include "session/numbertext.h"

#include <cmath>

namespace {

// CSV lines end in CR LF, as RFC 4180 has them; TSV and JSON in LF.
const char csvLineEnd[] = "\r\n";

std::string trimBlank(const std::string &number)
{
    return number.starts_with(' ') ? number.substr(1) : number;
}

std::string csvRow(const ReportRow &row)
{
    const SummaryFields &f = row.fields;
    std::string line = csvField(row.file);
    for (const std::string &field :
         {f.label, f.id, trimBlank(f.start), trimBlank(f.end), f.maxPeak, f.rms, f.law, f.freqMax}) {
        line += ',';
        line += csvField(field);
    }
    return line + csvLineEnd;
}

std::string tsvRow(const ReportRow &row)
{
    SummaryFields fields = row.fields;
    fields.label = tsvField(fields.label);
    fields.id = tsvField(fields.id);
    return tsvField(row.file) + '\t' + summaryRow(fields) + '\n';
}

// The shortest text that reads back to the same double is a JSON number
// (1e+06 included) whenever the value is finite.
std::string jsonDouble(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return "null";
    return shortestText(*value);
}

std::string jsonRow(const ReportRow &row)
{
    const SummaryFields &f = row.fields;
    return "{\"file\": " + jsonString(row.file) + ", \"station\": " + jsonString(f.label) +
           ", \"component\": " + jsonString(f.id) + ", \"start\": " + jsonNumber(f.start) +
           ", \"end\": " + jsonNumber(f.end) + ", \"maxPeak\": " + jsonNumber(f.maxPeak) +
           ", \"rms\": " + jsonNumber(f.rms) + ", \"lawMaxSlow\": " + jsonNumber(f.law) +
           ", \"freqMax\": " + jsonNumber(f.freqMax) +
           ", \"sampleRate\": " + std::to_string(row.record.sampleRate) +
           ", \"sampleCount\": " + std::to_string(row.record.sampleCount) +
           ", \"startTime\": " + (row.record.startTime ? jsonString(isoTimeText(*row.record.startTime)) : "null") +
           ", \"network\": " + jsonString(row.record.network) +
           ", \"location\": " + jsonString(row.record.location) +
           ", \"channel\": " + jsonString(row.record.channel) +
           ", \"sensitivity\": " + jsonDouble(row.record.sensitivity) + "}";
}

} // namespace

std::string tableStart(TableFormat format, bool header)
{
    switch (format) {
    case TableFormat::tsv:
        return header ? "File\tLabel\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max\n" : "";
    case TableFormat::csv:
        return header ? std::string("File,Label,ID,Start,End,MaxPeak,RMS,\"Law,max,Slow\",Freq.max") + csvLineEnd
                      : "";
    case TableFormat::json:
        return "[\n";
    }
    return {};
}

std::string tableRow(TableFormat format, const ReportRow &row, bool last)
{
    switch (format) {
    case TableFormat::tsv:
        return tsvRow(row);
    case TableFormat::csv:
        return csvRow(row);
    case TableFormat::json:
        return jsonRow(row) + (last ? "\n" : ",\n");
    }
    return {};
}

std::string tableError(TableFormat format, const LoadError &error, bool last)
{
    if (format != TableFormat::json)
        return {};
    const std::string reason =
        error.line > 0 ? "line " + std::to_string(error.line) + ": " + error.reason : error.reason;
    return "{\"file\": " + jsonString(error.file) + ", \"error\": " + jsonString(reason) + "}" +
           (last ? "\n" : ",\n");
}

std::string tableEnd(TableFormat format)
{
    return format == TableFormat::json ? "]\n" : "";
}
