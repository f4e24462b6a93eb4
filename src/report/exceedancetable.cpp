#include "report/exceedancetable.h"

#include "report/escape.h"
#include "report/table.h"
#include "session/numbertext.h"
#include "session/timetext.h"

namespace {

const char *const columns[] = {"File",   "Label",    "ID",     "Start",      "End",
                               "StartTime", "Offset", "Duration", "LawMax", "LawMaxTime"};

// The ten fields of one exceedance, numbers as the table prints them.
std::vector<std::string> fields(const ExceedanceRows &rows, const Exceedance &e)
{
    const int32_t rate = rows.sampleRate;
    const std::optional<int64_t> time = sampleTime(rows.startTime, e.first, rate);
    return {rows.file,
            rows.station,
            rows.component,
            std::to_string(e.first),
            std::to_string(e.last),
            time ? isoTime(*time) : std::string(),
            format6(sampleOffset(e.first, rate), "."),
            format6(exceedanceDuration(e, rate), "."),
            format2(e.lawMax, "."),
            format6(sampleOffset(e.lawMaxSample, rate), ".")};
}

std::string jsonRow(const std::vector<std::string> &f)
{
    return "{\"kind\": \"exceedance\", \"file\": " + jsonString(f[0]) + ", \"station\": " + jsonString(f[1]) +
           ", \"component\": " + jsonString(f[2]) + ", \"startSample\": " + f[3] + ", \"endSample\": " + f[4] +
           ", \"startTime\": " + (f[5].empty() ? std::string("null") : jsonString(f[5])) +
           ", \"offset\": " + jsonNumber(f[6]) + ", \"duration\": " + jsonNumber(f[7]) +
           ", \"lawMax\": " + jsonNumber(f[8]) + ", \"lawMaxTime\": " + jsonNumber(f[9]) + "}";
}

std::string joined(const std::vector<std::string> &f, char separator, std::string (*field)(std::string_view),
                   const char *lineEnd)
{
    std::string line = field(f.front());
    for (size_t i = 1; i < f.size(); ++i)
        line += separator + field(f[i]);
    return line + lineEnd;
}

} // namespace

std::string exceedanceTableStart(TableFormat format, bool header)
{
    if (format == TableFormat::json)
        return "[";
    if (!header)
        return {};
    const std::vector<std::string> names(std::begin(columns), std::end(columns));
    return format == TableFormat::csv ? joined(names, ',', csvField, "\r\n") : joined(names, '\t', tsvField, "\n");
}

std::string exceedanceTableRows(TableFormat format, const ExceedanceRows &rows)
{
    std::string text;
    for (const Exceedance &e : rows.exceedances) {
        const std::vector<std::string> f = fields(rows, e);
        switch (format) {
        case TableFormat::tsv:
            text += joined(f, '\t', tsvField, "\n");
            break;
        case TableFormat::csv:
            text += joined(f, ',', csvField, "\r\n");
            break;
        case TableFormat::json:
            text += ",\n" + jsonRow(f);
            break;
        }
    }
    return text;
}

void dropFirstSeparator(std::string &rows, bool &first)
{
    if (rows.empty())
        return;
    if (first && rows.starts_with(','))
        rows.erase(0, 1);
    first = false;
}

std::string exceedanceTableError(TableFormat format, const LoadError &error)
{
    if (format != TableFormat::json)
        return {};
    std::string object = tableError(format, error, true);
    object.pop_back();   // its line end
    return ",\n" + object;
}

std::string exceedanceTableEnd(TableFormat format)
{
    return format == TableFormat::json ? "\n]\n" : "";
}
