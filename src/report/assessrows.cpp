// The cells of the assessment's rows, from its results.
#include "report/assesstable.h"

#include "assess/wording.h"
#include "report/escape.h"
#include "session/numbertext.h"

#include <algorithm>
#include <cmath>

namespace {

// Table texts: two decimals for mm/s, three for everything else.
constexpr int mmPlaces = 2;
constexpr int otherPlaces = 3;

std::string jsonNumberOf(double value)
{
    return std::isfinite(value) ? shortestText(value) : "null";
}

class RowMaker {
public:
    explicit RowMaker(Standard standard) : columns_(assessColumns(standard)) {}

    void cell(std::string_view column, std::string_view name, std::string json, std::string text)
    {
        const auto at = std::find(columns_.begin(), columns_.end(), column);
        row.cells.push_back({static_cast<std::size_t>(at - columns_.begin()), name, std::move(json),
                             std::move(text)});
    }
    void text(std::string_view column, const std::optional<std::string> &value)
    {
        cell(column, column, value ? jsonString(*value) : "null", value.value_or(""));
    }
    void number(std::string_view column, std::optional<double> value, int places)
    {
        cell(column, column, value ? jsonNumberOf(*value) : "null", value ? decimals(*value, places) : "");
    }
    // A list: JSON an array, the table's text joined by `separator`.
    void texts(std::string_view column, std::string_view name, std::span<const std::string> values,
               std::string_view separator)
    {
        std::string json, text;
        for (const std::string &value : values) {
            json += (json.empty() ? "" : ", ") + jsonString(value);
            text += (text.empty() ? "" : std::string(separator)) + value;
        }
        cell(column, name, "[" + json + "]", text);
    }
    void numbers(std::string_view column, std::span<const double> values, int places)
    {
        std::string json, text;
        for (const double value : values) {
            json += (json.empty() ? "" : ", ") + jsonNumberOf(value);
            text += (text.empty() ? "" : " ") + decimals(value, places);
        }
        cell(column, column, "[" + json + "]", text);
    }
    void verdict(std::optional<Verdict> value)
    {
        text("verdict", value ? std::optional<std::string>(optionName(*value)) : std::nullopt);
        row.verdict = value;
    }

    AssessRow row;

private:
    std::span<const std::string_view> columns_;
};

void identity(RowMaker &m, const AssessSource &s, std::string_view kind)
{
    m.text("kind", std::string(kind));
    m.text("file", s.file);
    m.text("network", s.info.network);
    m.text("station", s.info.station);
    m.text("location", s.info.location);
}

void startTime(RowMaker &m, const AssessSource &s)
{
    m.text("startTime", s.info.startTime ? std::optional(isoTimeText(*s.info.startTime)) : std::nullopt);
}

void component(RowMaker &m, const AssessSource &s)
{
    identity(m, s, "component");
    m.text("channel", s.info.channel);
    startTime(m, s);
}

void set(RowMaker &m, const std::array<AssessSource, 3> &sources)
{
    identity(m, sources[0], "set");
    const std::vector<std::string> channels{sources[0].info.channel, sources[1].info.channel,
                                            sources[2].info.channel};
    m.texts("channel", "channels", channels, " ");
    startTime(m, sources[0]);
}

// Seconds from the record's start of sample `index` of those assessed.
double secondsOf(const AssessSource &s, int64_t index)
{
    return static_cast<double>(s.firstSample + index) / s.info.sampleRate;
}

void notes(RowMaker &m, std::vector<std::string> own, std::span<const std::string> more)
{
    own.insert(own.end(), more.begin(), more.end());
    m.texts("notes", "notes", own, "; ");
}

std::optional<std::string> governing(const std::array<AssessSource, 3> &sources, std::optional<int> index)
{
    if (!index || *index < 0 || *index > 2)
        return std::nullopt;
    return sources[static_cast<std::size_t>(*index)].info.channel;
}

} // namespace

AssessRow structureRow(const AssessSource &source, const StructureResult &r, std::span<const std::string> more)
{
    RowMaker m(Standard::Din4150_3);
    component(m, source);
    m.number("ppv", r.ppv, mmPlaces);
    m.number("ppvTime", secondsOf(source, r.ppvIndex), otherPlaces);
    m.number("frequencyZeroCrossing", r.frequencyZeroCrossing, otherPlaces);
    m.number("frequencySpectrum", r.frequencySpectrum, otherPlaces);
    m.number("frequencySpectrumSecond", r.frequencySpectrumSecond, otherPlaces);
    m.number("frequencyUsed", r.frequencyUsed, otherPlaces);
    m.text("frequencyMethod",
           r.frequencyUsed ? std::optional<std::string>(optionName(r.frequencyMethod)) : std::nullopt);
    m.number("limit", r.limit, mmPlaces);
    m.number("ratio", r.ratio, otherPlaces);
    m.verdict(r.verdict);
    notes(m, r.notes, more);
    return m.row;
}

AssessRow peopleRow(const AssessSource &source, const PeopleResult &r, std::span<const std::string> more)
{
    RowMaker m(Standard::Din4150_2);
    component(m, source);
    m.number("kbFmax", r.kbFmax, otherPlaces);
    m.number("kbFmaxTime", secondsOf(source, r.kbFmaxIndex), otherPlaces);
    m.number("kbFTm", r.kbFTm, otherPlaces);
    m.numbers("cycles", r.cycles, otherPlaces);
    m.number("kbFTr", r.kbFTr, otherPlaces);
    m.number("au", r.guide.au, otherPlaces);
    m.number("ao", r.guide.ao, otherPlaces);
    m.number("ar", r.guide.ar, otherPlaces);
    m.verdict(r.verdict);
    std::vector<std::string> own;
    if (r.bandToHalfRate)
        own.push_back("band to rate/2: at " + shortest(source.info.sampleRate) +
                      " samples/s the 100 Hz low-pass is left out");
    own.insert(own.end(), r.warnings.begin(), r.warnings.end());
    notes(m, std::move(own), more);
    return m.row;
}

AssessRow failedRow(Standard standard, const AssessSource &source, const std::string &reason)
{
    RowMaker m(standard);
    component(m, source);
    m.text("error", reason);
    return m.row;
}

std::vector<AssessRow> structureSetRows(const std::array<AssessSource, 3> &sources, const StructureSetResult &s)
{
    std::vector<AssessRow> rows;
    for (std::size_t k = 0; k < 3; ++k)
        rows.push_back(structureRow(sources[k], s.components[k]));
    RowMaker m(Standard::Din4150_3);
    set(m, sources);
    m.number("pvs", s.pvs, mmPlaces);
    m.number("pvsTime", secondsOf(sources[0], s.pvsIndex), otherPlaces);
    m.text("governing", governing(sources, s.governing));
    m.verdict(s.verdict);
    notes(m, {}, {});
    rows.push_back(std::move(m.row));
    return rows;
}

std::vector<AssessRow> peopleSetRows(const std::array<AssessSource, 3> &sources, const PeopleSetResult &s)
{
    std::vector<AssessRow> rows;
    for (std::size_t k = 0; k < 3; ++k)
        rows.push_back(peopleRow(sources[k], s.components[k]));
    RowMaker m(Standard::Din4150_2);
    set(m, sources);
    m.number("kbFmax", s.components[static_cast<std::size_t>(s.governing)].kbFmax, otherPlaces);
    m.text("governing", governing(sources, s.governing));
    m.verdict(s.verdict);
    notes(m, {}, {});
    rows.push_back(std::move(m.row));
    return rows;
}
