#pragma once

#include "record/byteinput.h"
#include "record/loaderror.h"
#include "record/text/psnreader.h"
#include "settings/sensitivitytable.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <variant>

// A binary record's bytes in file order, with the CRC-16/XMODEM
// (polynomial 0x1021, initial 0, not reflected) of every byte taken so far.
class BinaryInput {
public:
    // `tick` is called after every read of up to `chunkBytes` bytes.
    BinaryInput(ByteInput &input, size_t chunkBytes, std::function<void()> tick)
        : input_(input), chunkBytes_(chunkBytes > 0 ? chunkBytes : 1), tick_(std::move(tick))
    {
    }

    // The next `count` bytes into `out`; false when the input ends first.
    bool take(char *out, size_t count);
    // Passes over the next `count` bytes; false when the input ends first.
    bool skip(uint64_t count);

    uint64_t offset() const { return offset_; }
    uint16_t crc() const { return crc_; }
    // A format without a CRC need not have it computed.
    void keepCrc(bool keep) { keepCrc_ = keep; }
    size_t chunkBytes() const { return chunkBytes_; }
    // The bytes after the current one, when the input's size is known.
    std::optional<uint64_t> bytesLeft() const;
    const ByteInput &input() const { return input_; }

private:
    ByteInput &input_;
    size_t chunkBytes_;
    std::function<void()> tick_;
    uint64_t offset_ = 0;
    uint16_t crc_ = 0;
    bool keepCrc_ = true;
};

// A number stored in `bytes` in the given byte order.
template <class T>
T loadNumber(const char *bytes, bool bigEndian)
{
    static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, bytes, sizeof raw);
    if (bigEndian != (std::endian::native == std::endian::big))
        for (size_t i = 0; i < sizeof raw / 2; ++i)
            std::swap(raw[i], raw[sizeof raw - 1 - i]);
    T value;
    std::memcpy(&value, raw, sizeof value);
    return value;
}

enum class SampleType : uint8_t { int16, int32, float32, float64 };
size_t sampleBytes(SampleType type);

// The tick of a binary reader: progress 5 to 10 by the bytes read, or by
// the samples read when the size is unknown.
std::function<void()> readTick(const ByteInput &input, const PsnRecord &record,
                               const ReadProgress &progress);

// The checks on an announced sample count before anything is allocated for
// it: at least 1, within a record's 32-bit count, no more than the bytes
// left (when known) can hold at `bytesPerSample` each, and arrays (two
// floats per sample) within the memory available.
std::optional<LoadError> checkSampleCount(int64_t count, size_t bytesPerSample,
                                          std::optional<uint64_t> bytesLeft,
                                          const std::string &name);

// A sampling rate within 0.1 % of a whole number is that number; it must
// be at least the lowest rate the weighting works at. Otherwise the reason.
std::variant<int32_t, std::string> wholeSampleRate(double rate);

// Takes a record's values in file order: each through the scale in 64-bit,
// rounded to 32-bit, appended to record.samples and summed in 64-bit; the
// largest |value| is kept. finish() stores the sum and the largest.
class ValueSink {
public:
    ValueSink(PsnRecord &record, const ValueScale &scale) : record_(record), scale_(scale) {}

    // False, taking nothing, when the value is NaN, infinite, or beyond the
    // 32-bit float range once scaled.
    bool add(double stored)
    {
        const float v = static_cast<float>(stored * scale_.factor / scale_.divisor);
        if (!std::isfinite(v))
            return false;
        record_.samples.push_back(v);
        sum_ += v;
        largest_ = std::max(largest_, std::abs(v));
        return true;
    }
    // Why add refused `stored`, as "sample N is not a number" for the next sample.
    std::string refusal(double stored) const;
    void finish()
    {
        record_.sum = sum_;
        record_.largestValue = largest_;
    }

private:
    PsnRecord &record_;
    ValueScale scale_;
    double sum_ = 0;
    float largest_ = 0;
};

// What a binary header says about the samples that follow it.
struct SampleLayout {
    int32_t count = 0;            // checked with checkSampleCount
    int32_t rate = 0;             // from wholeSampleRate
    std::string station, component;
    SampleType type = SampleType::float32;
    bool bigEndian = false;
    std::optional<ValueScale> fromHeader;   // the file's own sensitivity, if any
};

// Fills `record` from the layout, chooses its scale (options.sensitivity,
// then the header's), makes the sample array, calls options.headerRead and
// reads the samples: each through the scale in 64-bit, rounded to 32-bit,
// summed in file order, the largest |value| kept. Refuses NaN, infinite
// values, values beyond the 32-bit range and an input that ends first.
std::optional<LoadError> readBinarySamples(BinaryInput &in, const SampleLayout &layout, PsnRecord &record,
                                           const ReadOptions &options, const std::string &name);

// A text with the bytes up to the first NUL, without the blanks after them,
// as UTF-8.
std::string fixedText(const char *bytes, size_t size);

// `reason` for an input that ended early, unless it was cut short while
// it was read.
LoadError endedEarly(const ByteInput &input, const std::string &name, const std::string &reason);
inline LoadError endedEarly(const BinaryInput &in, const std::string &name, const std::string &reason)
{
    return endedEarly(in.input(), name, reason);
}
