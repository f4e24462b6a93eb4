// Feeds arbitrary bytes to the record readers of every format (each channel
// of a miniSEED file of several) and, when they accept them,
// through everything a loaded record goes through: the load's analysis, a
// segment and its spectrum, the plot geometry, the cursor and the clipboard
// texts. Any crash, sanitizer report, leak or hang is a fault.
#include "analysis/loadrecord.h"
#include "record/recordreader.h"
#include "settings/sensitivitytable.h"
#include "report/report.h"
#include "session/numbertext.h"
#include "spectrum/segmentspectrum.h"
#include "spectrum/spectrumplot.h"
#include "views/clipboardtext.h"
#include "views/cursor.h"
#include "views/selection.h"
#include "views/waveplot.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>

namespace {

// The last bytes of the input, also read as part of the record, choose the
// segment ends and the cursor line; fewer bytes give zeros.
struct Choices {
    int32_t start = 0, end = 0;
    int16_t bin = 0;
};

Choices choicesFrom(const uint8_t *data, size_t size)
{
    Choices c;
    if (size >= 10) {
        const uint8_t *tail = data + size - 10;
        std::memcpy(&c.start, tail, 4);
        std::memcpy(&c.end, tail + 4, 4);
        std::memcpy(&c.bin, tail + 8, 2);
    }
    return c;
}

// Keeps the results alive so the work is not optimised away.
volatile size_t sink;

void touch(const std::string &text) { sink = sink + text.size(); }

template <class Points>
void touch(const Points &points) { sink = sink + points.size(); }

void analyse(AnalysedRecord &record, const Choices &choices)
{
    const int32_t count = record.sampleCount;

    // A drag in the window: the press lies inside the view, the release
    // anywhere (the mouse may leave the view while dragging).
    const double viewWidth = 9000;
    const double pressX = (static_cast<uint32_t>(choices.start) % 9001u);
    const double releaseX = choices.end / 1000.0;
    const int32_t press = std::max(1, sampleAtX(pressX, viewWidth, count));
    const SegmentBounds dragged = selectSegment(press, sampleAtX(releaseX, viewWidth, count), count);
    const Figures figures =
        segmentFigures(record.samples, record.slowLevel, dragged.start, dragged.end);

    // A segment kept from a previous record of any length, as after a load.
    const auto [low, high] = std::minmax({choices.start & 0x7FFFFFFF, choices.end & 0x7FFFFFFF});
    const SegmentBounds kept = keepSegment(low, high, count);
    const Figures keptFigures = segmentFigures(record.samples, record.slowLevel, kept.start, kept.end);
    touch(format2(figures.peak * 1000000, ".") + format2(figures.rms * 1000000, ",") +
          format2(figures.lawMaxSlow, ".") + format2(keptFigures.rms, ".") +
          integerText(kept.start) + integerText(kept.end));

    const SegmentSpectrum spectrum = segmentSpectrum(record.samples, dragged.start, dragged.end);
    touch(spectrumSegments(spectrum.lines, spectrum.peak));
    touch(format2(lineFrequency(spectrum.peakLine, record.sampleRate), "."));

    // Plot geometry on a view of the window's size and on a degenerate one.
    for (double width : {9000.0, 1.0}) {
        touch(wavePolyline(record.samples, count, record.peakAmplitude, width, 3000.0));
        touch(levelPolyline(record.slowLevel, count, width, 1500.0));
        const PlotRect band = bandRect(xOfSample(dragged.start, count, width),
                                       xOfSample(dragged.end, count, width), 3000.0);
        sink = sink + static_cast<size_t>(roundToInt32(band.right));
        sink = sink + static_cast<size_t>(sampleAtX(choices.start, width, count));
        touch(std::to_string(plotFraction(plotVertexSample(choices.end & 0xFFFF,
                                                           decimationStep(count)),
                                          count)));
    }

    const int16_t bin = clampCursorBin(choices.bin);
    const float lineValue = spectrum.lines[static_cast<size_t>(bin)];
    touch(cursorSegments(bin, lineValue, spectrum.peak));
    touch(cursorFrequencyText(cursorBinAtX(choices.bin * 0.37), record.sampleRate, ","));
    touch(cursorValueText(lineValue * 1000000, "."));

    // The three clipboard texts, as the window and the report build them.
    touch(copyText(format2(figures.peak * 1000000, "."), format2(figures.rms * 1000000, "."),
                   format2(figures.lawMaxSlow, ".")));
    const SummaryFields fields =
        summaryFields(record, RequestedSegment{choices.start, choices.end}, ".");
    touch(copyAllText(fields) + summaryRow(fields));
    touch(copySpectrumText(spectrum.lines, record.sampleRate, ","));
}

// The input read as a sensitivity table: one that parses still parses with
// a line set, and gives that line's sensitivity.
void fuzzTable(std::string_view text)
{
    const auto table = parseSensitivityTable(text, "table");
    if (std::holds_alternative<LoadError>(table))
        return;
    const auto changed = parseSensitivityTable(withSensitivity(text, "ABC", "HHZ", 5), "table");
    const auto *entries = std::get_if<SensitivityTable>(&changed);
    SensitivityChoice choice;
    choice.table = entries;
    if (!entries || chooseScale(choice, {"", "ABC", "", "HHZ", {}}, {}).divisor != 5)
        __builtin_trap();
}

bool sameRead(const ReadResult &a, const ReadResult &b)
{
    const auto *x = std::get_if<Record>(&a), *y = std::get_if<Record>(&b);
    if (!x || !y)
        return !x && !y && std::get<LoadError>(a).message() == std::get<LoadError>(b).message();
    return x->samples.size() == y->samples.size() &&
           std::memcmp(x->samples.data(), y->samples.data(), x->samples.size() * sizeof(float)) == 0 &&
           std::memcmp(&x->sum, &y->sum, sizeof(double)) == 0 && x->channel == y->channel &&
           x->startTime == y->startTime && x->sensitivity == y->sensitivity && x->largestValue == y->largestValue &&
           x->warnings == y->warnings;
}

// A file of several records as the report reads it, every entry in turn,
// and as the window does, one chosen with the others given back: the
// chosen one is read alike.
void fuzzEntries(std::string_view text, const ReadOptions &options)
{
    ByteInput all(text), one(text);
    OpenResult report = openRecord(all, "fuzz.mseed", options);
    OpenResult window = openRecord(one, "fuzz.mseed", options);
    auto *entries = std::get_if<OpenedRecord>(&report);
    auto *chosen = std::get_if<OpenedRecord>(&window);
    if (!entries || !chosen) {
        if (entries || chosen || std::get<LoadError>(report).message() != std::get<LoadError>(window).message())
            __builtin_trap();
        return;
    }
    const size_t count = entries->entries().size();
    if (count == 0 || chosen->entries().size() != count)
        __builtin_trap();
    ReadResult last = LoadError{};
    for (size_t e = 0; e < count; ++e)
        last = entries->read(e);
    if (!sameRead(last, chosen->readOnly(count - 1)))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    if (size < 4096)
        fuzzTable(text);
    ReadOptions whole;
    whole.threads = singleThread();
    whole.threads.readPartBytes = 1 << 20;
    whole.progress = [](double done) { sink = sink + static_cast<size_t>(done * 100); };
    // Some inputs are read as counts with a sensitivity given.
    if (size > 1 && data[1] % 4 == 0)
        whole.sensitivity.given = 0.5 + data[size - 1];
    if (std::string_view(recogniseRecord(text.substr(0, recogniseBytes)).name) == "miniSEED")
        fuzzEntries(text, whole);
    ReadResult read = parseRecord(text, "fuzz.psn", whole);

    // Read again in parts of a few bytes, chosen by the input, on two
    // threads: the text gives the same record or the same error.
    {
        ReadOptions parts;
        parts.threads.threads = 2;
        parts.threads.readPartBytes = size > 0 ? 1 + data[0] % 61 : 1;
        parts.sensitivity = whole.sensitivity;
        const ReadResult split = parseRecord(text, "fuzz.psn", parts);
        const auto *record = std::get_if<Record>(&read);
        const auto *splitRecord = std::get_if<Record>(&split);
        if (record && splitRecord) {
            if (record->samples.size() != splitRecord->samples.size() ||
                std::memcmp(record->samples.data(), splitRecord->samples.data(),
                            record->samples.size() * sizeof(float)) != 0 ||
                std::memcmp(&record->sum, &splitRecord->sum, sizeof(double)) != 0 ||
                record->sensitivity != splitRecord->sensitivity ||
                record->largestValue != splitRecord->largestValue)
                __builtin_trap();
        } else if (record || splitRecord ||
                   std::get<LoadError>(read).message() != std::get<LoadError>(split).message()) {
            __builtin_trap();
        }
    }
    if (const auto *error = std::get_if<LoadError>(&read)) {
        touch(error->message());
        return 0;
    }
    LoadResult loaded = analyseRecord(std::get<Record>(std::move(read)), "fuzz.psn");
    if (const auto *error = std::get_if<LoadError>(&loaded)) {
        touch(error->message());
        return 0;
    }
    analyse(std::get<AnalysedRecord>(loaded), choicesFrom(data, size));
    return 0;
}
