#include "record/psnreader.h"

#include "record/sampleparts.h"
#include "session/memory.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

namespace {

const char shortenedReason[] =
    "could not be read to its end: it was shortened, or a read failed, while it was read";

std::string endReason(const SampleScan &scan, int32_t stored, int32_t count)
{
    std::string reason = "the file ends after " + std::to_string(stored) + " of " +
                         std::to_string(count) + " samples";
    if (scan.openQuote > 0)
        reason += "; the quote opened on line " + std::to_string(scan.openQuote) +
                  " is never closed";
    return reason;
}

// The values through `scale`: divided in 64-bit, and the sum taken again in
// file order, a piece at a time with `progress` at 10 between pieces, so
// that a window goes on answering.
std::optional<LoadError> scaleValues(PsnRecord &record, const ValueScale &scale, const std::string &name,
                                     const ReadOptions &options)
{
    std::vector<float> &samples = record.samples;
    double sum = 0;
    float largest = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (i % progressInterval == 0 && options.progress)
            options.progress(10);
        const float v = static_cast<float>(samples[i] * scale.factor / scale.divisor);
        if (!std::isfinite(v))
            return LoadError{name, 0, "sample " + std::to_string(i) +
                                          " is beyond the 32-bit float range once divided by the sensitivity " +
                                          shortestText(scale.divisor)};
        samples[i] = v;
        sum += v;
        largest = std::max(largest, std::abs(v));
    }
    record.sum = sum;
    record.largestValue = largest;
    record.sensitivity = scale.countsPerMetrePerSecond();
    return std::nullopt;
}

} // namespace

ReadResult readPsn(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    PsnRecord record;
    // A short file is read in smaller parts, at least 64 of them down to
    // 64 KiB each: every part in flight is fresh memory, whose first touch
    // costs more than the parse of a short record.
    size_t partBytes = options.threads.readPartBytes;
    if (const auto size = input.size())
        partBytes = std::min<size_t>(partBytes, std::max<uint64_t>(64 << 10, *size / 64));
    // Of an input of known size a helper reads ahead where the policy gives
    // one; a pipe is read as it comes, so that a writer that stops never
    // holds up a refusal.
    PartReader parts(input, partBytes, options.threads.threads > 1 && input.size().has_value());
    const auto tick = [&] {
        if (!options.progress)
            return;
        double done = 0;
        if (const auto size = input.size(); size && *size > 0)
            done = std::min(1.0, static_cast<double>(parts.bytesTaken()) / static_cast<double>(*size));
        else if (record.sampleCount > 0)
            done = static_cast<double>(record.samples.size()) / record.sampleCount;
        options.progress(5 + static_cast<int>(5 * done));
    };

    HeaderReader headerReader(name);
    std::unique_ptr<Part> part;
    size_t at = 0;
    while (!headerReader.done() && !headerReader.error()) {
        if (part)
            parts.recycle(std::move(part));
        part = parts.next(tick);
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
        return std::move(*error);
    record.sampleCount = header.sampleCount;
    record.sampleRate = header.sampleRate;
    record.stationCode = std::move(header.stationCode);
    record.componentName = std::move(header.componentName);
    reserveLarge(record.samples, static_cast<size_t>(record.sampleCount) + 1);
    record.samples.push_back(0.0f);
    if (options.headerRead)
        options.headerRead();

    SampleScan scan;
    scan.line = header.dataLine;
    scan.lastByte = header.lastByte;
    const SamplesRead data = readSamples(parts, std::move(part), at, scan, record.sampleCount,
                                         record.samples, options.threads, tick);
    const auto stored = static_cast<int32_t>(record.samples.size() - 1);
    switch (data.scan.stop) {
    case ScanStop::Count: {
        record.sum = data.sum;
        record.largestValue = data.largest;
        if (data.extra > 0)
            record.warnings.push_back("the data hold " + std::to_string(record.sampleCount + data.extra) +
                                      " values but \"Number of Samples\" announces " +
                                      std::to_string(record.sampleCount) + ": only the first " +
                                      std::to_string(record.sampleCount) + " are read");
        // A sensitivity that applies comes first; else the header's unit.
        const ValueScale scale =
            chooseScale(options.sensitivity, record.stationCode, record.componentName, header.unitScale);
        if (scale.asTheyStand)
            return record;
        if (auto error = scaleValues(record, scale, name, options))
            return std::move(*error);
        return record;
    }
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

ReadResult parsePsn(std::string_view text, const std::string &name, const ReadOptions &options)
{
    ByteInput input(text);
    return readPsn(input, name, options);
}

ReadResult readPsnFile(const std::string &path, const ReadOptions &options)
{
    auto opened = openRecordFile(path);
    if (auto *error = std::get_if<LoadError>(&opened))
        return std::move(*error);
    return readPsn(std::get<ByteInput>(opened), path, options);
}
