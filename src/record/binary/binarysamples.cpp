#include "record/binary/binarysamples.h"

#include "session/memory.h"
#include "session/numbertext.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

template <class T>
void storedValues(const char *bytes, size_t count, bool bigEndian, double *out)
{
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<double>(loadNumber<T>(bytes + i * sizeof(T), bigEndian));
}

void storedValues(SampleType type, const char *bytes, size_t count, bool bigEndian, double *out)
{
    switch (type) {
    case SampleType::int16: return storedValues<int16_t>(bytes, count, bigEndian, out);
    case SampleType::int32: return storedValues<int32_t>(bytes, count, bigEndian, out);
    case SampleType::float32: return storedValues<float>(bytes, count, bigEndian, out);
    case SampleType::float64: return storedValues<double>(bytes, count, bigEndian, out);
    }
}

std::optional<LoadError> readSamples(BinaryRecord &b, const SampleLayout &layout, const ValueScale &scale)
{
    Record &record = b.record;
    record.samples.reserve(static_cast<size_t>(record.sampleCount) + 1);
    record.samples.push_back(0.0f);
    const size_t width = sampleBytes(layout.type);
    const size_t perChunk = std::max<size_t>(1, b.in.chunkBytes() / width);
    const size_t chunkValues = std::min<size_t>(perChunk, static_cast<size_t>(record.sampleCount));
    std::vector<char> chunk(chunkValues * width);
    std::vector<double> stored(chunkValues);
    ValueTotals totals;
    for (int32_t done = 0; done < record.sampleCount;) {
        const size_t count = static_cast<size_t>(std::min<int64_t>(perChunk, record.sampleCount - done));
        const uint64_t before = b.in.offset();
        const bool whole = b.in.take(chunk.data(), count * width);
        const size_t ready = whole ? count : static_cast<size_t>((b.in.offset() - before) / width);
        storedValues(layout.type, chunk.data(), ready, layout.bigEndian, stored.data());
        record.samples.resize(record.samples.size() + ready);
        const size_t taken = scaleValues(stored.data(), ready, scale, record.samples.data() + 1 + done, totals);
        if (taken < ready)
            return LoadError{b.name, 0, valueRefusal(stored[taken], done + static_cast<int64_t>(taken) + 1)};
        done += static_cast<int32_t>(ready);
        if (!whole)
            return endedEarly(b.in, b.name,
                              "the file ends after " + std::to_string(done) + " of " +
                                  std::to_string(record.sampleCount) + " samples");
    }
    record.sum = totals.sum;
    record.largestValue = totals.largest;
    return std::nullopt;
}

} // namespace

size_t sampleBytes(SampleType type)
{
    switch (type) {
    case SampleType::int16: return 2;
    case SampleType::int32: return 4;
    case SampleType::float32: return 4;
    case SampleType::float64: return 8;
    }
    return 1;
}

std::optional<LoadError> checkSampleCount(int64_t count, size_t bytesPerSample,
                                          std::optional<uint64_t> bytesLeft,
                                          const std::string &name)
{
    const std::string announces = "the header announces " + std::to_string(count) + " samples";
    if (count < 1)
        return LoadError{name, 0, announces + "; there must be at least 1"};
    if (count > std::numeric_limits<int32_t>::max())
        return LoadError{name, 0, announces + ", more than the 2147483647 a record can hold"};
    // A damaged header must not allocate gigabytes for values that are not there.
    const uint64_t needed = static_cast<uint64_t>(count) * bytesPerSample;
    if (bytesLeft && needed > *bytesLeft)
        return LoadError{name, 0,
                         announces + " (" + std::to_string(needed) + " bytes) but only " +
                             std::to_string(*bytesLeft) + " bytes follow the header"};
    if (const auto memory = arraysReason(count, availableMemory()))
        return LoadError{name, 0, announces + *memory};
    return std::nullopt;
}

std::variant<int32_t, std::string> wholeSampleRate(double rate)
{
    const std::string named = "a sampling rate of " + shortestText(rate) + " samples per second";
    if (!std::isfinite(rate) || rate <= 0)
        return named + " is impossible";
    const double whole = std::round(rate);
    if (std::abs(rate - whole) > 0.001 * whole)
        return named + " is not a whole number (within 0.1 %); the weighting works at whole rates";
    if (whole > std::numeric_limits<int32_t>::max())
        return named + " is too high";
    if (const auto low = lowRateReason(static_cast<int64_t>(whole)))
        return named + " is " + *low;
    return static_cast<int32_t>(whole);
}

BinaryRecord::BinaryRecord(ByteInput &in_, std::string name_, const ReadOptions &options_)
    : input(in_), name(std::move(name_)), options(options_),
      in(in_, options_.threads.readPartBytes, [this] {
          reportProgress(options.progress, fractionRead(input, input.bytesRead(),
                                                        static_cast<int64_t>(record.samples.size()),
                                                        record.sampleCount));
      })
{
}

OpenedRecord openedBinary(std::shared_ptr<BinaryRecord> binary, const SampleLayout &layout, AfterSamples after)
{
    const RecordInfo &info = layout.info;
    const ValueScale scale = chooseScale(binary->options.sensitivity,
                                         {info.network, info.station, info.location, info.channel, info.startTime},
                                         layout.fromHeader);
    Record &record = binary->record;
    static_cast<RecordInfo &>(record) = layout.info;
    record.sampleCount = layout.count;
    // A scale from the file's own header (nm/s, cm/s per count) gives m/s
    // as much as a sensitivity does.
    record.unit = scale.asTheyStand ? SampleUnit::asStored : SampleUnit::metresPerSecond;
    if (!scale.asTheyStand)
        record.sensitivity = scale.countsPerMetrePerSecond();
    RecordEntry entry;
    entry.info = record;
    entry.sampleCount = record.sampleCount;
    return OpenedRecord({std::move(entry)}, [binary, layout, scale, after, taken = false](size_t, bool) mutable -> ReadResult {
        if (taken)
            return LoadError{binary->name, 0, "its record has already been read"};
        taken = true;
        if (auto error = readSamples(*binary, layout, scale))
            return std::move(*error);
        if (after)
            if (auto error = after(*binary))
                return std::move(*error);
        return std::move(binary->record);
    });
}
