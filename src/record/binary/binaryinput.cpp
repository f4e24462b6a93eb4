#include "record/binary/binaryinput.h"

#include "record/headertext.h"
#include "session/memory.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// crcTables[k][x]: the CRC of byte x followed by k zero bytes, so that eight
// bytes are added with eight look-ups instead of eight rounds of one.
constexpr std::array<std::array<uint16_t, 256>, 8> crcTables = [] {
    std::array<std::array<uint16_t, 256>, 8> tables{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        uint16_t crc = static_cast<uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        tables[0][byte] = crc;
    }
    for (size_t k = 1; k < 8; ++k)
        for (unsigned byte = 0; byte < 256; ++byte) {
            const uint16_t before = tables[k - 1][byte];
            tables[k][byte] = static_cast<uint16_t>((before << 8) ^ tables[0][before >> 8]);
        }
    return tables;
}();

uint16_t addToCrc(uint16_t crc, const char *bytes, size_t count)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    const auto &t = crcTables;
    for (; count >= 8; count -= 8, p += 8)
        crc = t[7][p[0] ^ (crc >> 8)] ^ t[6][p[1] ^ (crc & 0xFF)] ^ t[5][p[2]] ^ t[4][p[3]] ^
              t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    for (; count > 0; --count, ++p)
        crc = static_cast<uint16_t>((crc << 8) ^ t[0][(crc >> 8) ^ *p]);
    return crc;
}

template <class T>
double storedValue(const char *bytes, bool bigEndian)
{
    return static_cast<double>(loadNumber<T>(bytes, bigEndian));
}

} // namespace

bool BinaryInput::take(char *out, size_t count)
{
    const size_t got = input_.read(out, count);
    if (keepCrc_)
        crc_ = addToCrc(crc_, out, got);
    offset_ += got;
    if (tick_)
        tick_();
    return got == count;
}

bool BinaryInput::skip(uint64_t count)
{
    std::vector<char> scratch(static_cast<size_t>(std::min<uint64_t>(count, chunkBytes_)));
    while (count > 0) {
        const size_t part = static_cast<size_t>(std::min<uint64_t>(count, scratch.size()));
        if (!take(scratch.data(), part))
            return false;
        count -= part;
    }
    return true;
}

std::optional<uint64_t> BinaryInput::bytesLeft() const
{
    const std::optional<uint64_t> size = input_.size();
    if (!size)
        return std::nullopt;
    return *size - std::min(*size, offset_);
}

std::function<void()> readTick(const ByteInput &input, const PsnRecord &record,
                               const ReadProgress &progress)
{
    if (!progress)
        return {};
    return [&input, &record, &progress] {
        const auto size = input.size();
        double done = 0;
        if (size && *size > 0)
            done = static_cast<double>(input.bytesRead()) / static_cast<double>(*size);
        else if (record.sampleCount > 0)
            done = static_cast<double>(record.samples.size()) / record.sampleCount;
        progress(5 + static_cast<int>(5 * std::min(1.0, done)));
    };
}

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
    const uint64_t arrays = 2 * sizeof(float) * (static_cast<uint64_t>(count) + 1);
    const uint64_t memory = availableMemory();
    if (memory > 0 && arrays > memory)
        return LoadError{name, 0,
                         announces + ", whose arrays need " + std::to_string(arrays) +
                             " bytes, more than the " + std::to_string(memory) +
                             " bytes of memory available"};
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
    if (whole < minimumSampleRate)
        return named + " is too low: the 2 Hz weighting filter cannot be designed below " +
               std::to_string(minimumSampleRate) + " samples per second";
    return static_cast<int32_t>(whole);
}

std::string ValueSink::refusal(double stored) const
{
    return "sample " + std::to_string(record_.samples.size()) +
           (std::isnan(stored)   ? " is not a number"
            : std::isinf(stored) ? " is infinite"
                                 : " is beyond the 32-bit float range");
}

std::optional<LoadError> readBinarySamples(BinaryInput &in, const SampleLayout &layout, PsnRecord &record,
                                           const ReadOptions &options, const std::string &name)
{
    const ValueScale scale = chooseScale(options.sensitivity, layout.station, layout.component, layout.fromHeader);
    record.sampleCount = layout.count;
    record.sampleRate = layout.rate;
    record.stationCode = layout.station;
    record.componentName = layout.component;
    if (!scale.asTheyStand)
        record.sensitivity = scale.countsPerMetrePerSecond();
    reserveLarge(record.samples, static_cast<size_t>(record.sampleCount) + 1);
    record.samples.push_back(0.0f);
    if (options.headerRead)
        options.headerRead();

    const SampleType type = layout.type;
    const bool bigEndian = layout.bigEndian;
    const size_t width = sampleBytes(type);
    double (*const stored)(const char *, bool) =
        type == SampleType::int16     ? storedValue<int16_t>
        : type == SampleType::int32   ? storedValue<int32_t>
        : type == SampleType::float32 ? storedValue<float>
                                      : storedValue<double>;
    const size_t perChunk = std::max<size_t>(1, in.chunkBytes() / width);
    std::vector<char> chunk(std::min<size_t>(perChunk, static_cast<size_t>(record.sampleCount)) * width);
    ValueSink sink(record, scale);
    for (int32_t done = 0; done < record.sampleCount;) {
        const size_t count = static_cast<size_t>(std::min<int64_t>(perChunk, record.sampleCount - done));
        const uint64_t before = in.offset();
        const bool whole = in.take(chunk.data(), count * width);
        const size_t ready = whole ? count : static_cast<size_t>((in.offset() - before) / width);
        for (size_t i = 0; i < ready; ++i) {
            const double value = stored(chunk.data() + i * width, bigEndian);
            if (!sink.add(value))
                return LoadError{name, 0, sink.refusal(value)};
        }
        done += static_cast<int32_t>(ready);
        if (!whole)
            return endedEarly(in, name,
                              "the file ends after " + std::to_string(done) + " of " +
                                  std::to_string(record.sampleCount) + " samples");
    }
    sink.finish();
    return std::nullopt;
}

std::string fixedText(const char *bytes, size_t size)
{
    std::string_view text(bytes, size);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return headerText(text);
}

LoadError endedEarly(const ByteInput &input, const std::string &name, const std::string &reason)
{
    if (input.cutShort())
        return LoadError{name, 0, "could not be read to its end: it was shortened, or a read "
                                  "failed, while it was read"};
    return LoadError{name, 0, reason};
}
