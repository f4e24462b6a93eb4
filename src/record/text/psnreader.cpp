#include "record/text/psnreader.h"

#include "record/text/parallelscan.h"
#include "record/text/psnheader.h"
#include "session/memory.h"
#include "session/numbertext.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace {

std::string endReason(const SampleScan &scan, int32_t stored, int32_t count)
{
    std::string reason = "the file ends after " + std::to_string(stored) + " of " +
                         std::to_string(count) + " samples";
    if (scan.openQuote > 0)
        reason += "; the quote opened on line " + std::to_string(scan.openQuote) +
                  " is never closed";
    return reason;
}

// A short file is read in smaller parts, at least 64 of them down to 64 KiB
// each: every part in flight is fresh memory, whose first touch costs more
// than the parse of a short record.
size_t partBytes(const ByteInput &input, const ThreadPolicy &threads)
{
    size_t bytes = threads.readPartBytes;
    if (const auto size = input.size())
        bytes = std::min<size_t>(bytes, std::max<uint64_t>(64 << 10, *size / 64));
    return bytes;
}

// A text record between its header and its values. Of an input of known
// size a helper reads ahead where the policy gives one; a pipe is read as
// it comes, so that a writer that stops never holds up a refusal.
struct TextRecord {
    TextRecord(ByteInput &in, std::string file, const ReadOptions &o)
        : input(in), name(std::move(file)), options(o),
          parts(in, partBytes(in, o.threads), o.threads.threads > 1 && in.size().has_value()), headerReader(name)
    {
    }

    ByteInput &input;
    std::string name;
    ReadOptions options;
    PartReader parts;
    HeaderReader headerReader;
    std::unique_ptr<Part> part;   // the part the header ended in
    size_t at = 0;                // where in it the data start
    Record record;
    bool taken = false;           // read() has been called

    void tick() const
    {
        reportProgress(options.progress, fractionRead(input, parts.bytesTaken(),
                                                      static_cast<int64_t>(record.samples.size()),
                                                      record.sampleCount));
    }
    std::optional<LoadError> readHeader();
    ReadResult readValues();
};

std::optional<LoadError> TextRecord::readHeader()
{
    while (!headerReader.done() && !headerReader.error()) {
        if (part)
            parts.recycle(std::move(part));
        part = parts.next([this] { tick(); });
        const char *begin = part->bytes.data();
        at = headerReader.read(begin, begin + part->bytes.size(), part->last) - begin;
        tick();
    }
    if (headerReader.error()) {
        parts.stop();
        return input.cutShort() ? LoadError{name, 0, shortenedReason} : *headerReader.error();
    }
    PsnHeader &header = headerReader.header();
    std::optional<uint64_t> dataBytes;
    if (const auto size = input.size())
        dataBytes = *size - std::min(*size, header.dataStart);
    if (auto error = checkHeader(header, dataBytes, availableMemory(), name))
        return error;
    record.sampleCount = header.sampleCount;
    record.sampleRate = header.sampleRate;
    record.station = std::move(header.stationCode);
    record.channel = std::move(header.componentName);
    record.startTime = header.startTime;
    // A sensitivity that applies comes first; else the header's unit.
    const ValueScale scale = chooseScale(
        options.sensitivity, {record.network, record.station, record.location, record.channel, record.startTime},
        header.unitScale);
    if (!scale.asTheyStand)
        record.sensitivity = scale.countsPerMetrePerSecond();
    else if (header.counts)
        record.unit = SampleUnit::asStored;
    return std::nullopt;
}

// Through the sensitivity, when one applies to the record's station and
// component, or the header's unit: the values are scaled in place and summed again in file order,
// a piece at a time with a tick between pieces, so that a window goes on
// answering.
std::optional<LoadError> scaleText(Record &record, const ReadOptions &options, const std::string &name)
{
    if (!record.sensitivity)
        return std::nullopt;
    const ValueScale scale = ValueScale::sensitivity(*record.sensitivity);
    ValueTotals totals;
    float *values = record.samples.data() + 1;
    for (size_t done = 0, count = record.samples.size() - 1; done < count;) {
        const size_t n = std::min<size_t>(progressInterval, count - done);
        const size_t taken = scaleValues(values + done, n, scale, values + done, totals);
        if (taken < n)
            return LoadError{name, 0, "sample " + std::to_string(done + taken + 1) +
                                          " is beyond the 32-bit float range once divided by the sensitivity " +
                                          shortestText(scale.divisor)};
        done += n;
        reportProgress(options.progress, 1);
    }
    record.sum = totals.sum;
    record.largestValue = totals.largest;
    return std::nullopt;
}

ReadResult TextRecord::readValues()
{
    if (taken)
        return LoadError{name, 0, "its record has already been read"};
    taken = true;
    record.samples.reserve(static_cast<size_t>(record.sampleCount) + 1);
    record.samples.push_back(0.0f);
    const PsnHeader &header = headerReader.header();
    SampleScan scan;
    scan.line = header.dataLine;
    scan.lastByte = header.lastByte;
    const SamplesRead data = readSamples(parts, std::move(part), at, scan, record.sampleCount, record.samples,
                                         options.threads, [this] { tick(); });
    const auto stored = static_cast<int32_t>(record.samples.size() - 1);
    switch (data.scan.stop) {
    case ScanStop::Count:
        record.sum = data.sum;
        record.largestValue = data.largest;
        if (data.extra > 0)
            record.warnings.push_back("the data hold " + std::to_string(record.sampleCount + data.extra) +
                                      " values but \"Number of Samples\" announces " +
                                      std::to_string(record.sampleCount) + ": only the first " +
                                      std::to_string(record.sampleCount) + " are read");
        if (auto error = scaleText(record, options, name))
            return std::move(*error);
        return std::move(record);
    case ScanStop::Range:
        return LoadError{name, data.scan.fieldLine,
                         "sample " + std::to_string(stored + 1) + " is beyond the 32-bit float range"};
    default:
        parts.stop();
        if (input.cutShort())
            return LoadError{name, 0, shortenedReason};
        // A last line end does not open another line.
        return LoadError{name, data.scan.line - isLineEnd(data.scan.lastByte),
                         endReason(data.scan, stored, record.sampleCount)};
    }
}

} // namespace

bool recognisesPsnText(std::string_view)
{
    return true;
}

OpenResult openPsnText(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    auto text = std::make_shared<TextRecord>(input, name, options);
    if (auto error = text->readHeader())
        return std::move(*error);
    RecordEntry entry;
    entry.info = text->record;
    entry.sampleCount = text->record.sampleCount;
    return OpenedRecord({std::move(entry)}, [text](size_t, bool) { return text->readValues(); });
}
