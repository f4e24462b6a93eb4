#pragma once

#include "record/binary/binaryinput.h"
#include "record/recordreader.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

enum class SampleType : uint8_t { int16, int32, float32, float64 };
size_t sampleBytes(SampleType type);

// The checks on an announced sample count before anything is allocated for
// it: at least 1, within a record's 32-bit count, no more than the bytes
// left (when known) can hold at `bytesPerSample` each, and arrays within
// the memory available.
std::optional<LoadError> checkSampleCount(int64_t count, size_t bytesPerSample,
                                          std::optional<uint64_t> bytesLeft,
                                          const std::string &name);

// A sampling rate within 0.1 % of a whole number is that number; it must
// be at least the lowest rate the weighting works at. Otherwise the reason.
std::variant<int32_t, std::string> wholeSampleRate(double rate);

// What a binary header says about the samples that follow it.
struct SampleLayout {
    int32_t count = 0;            // checked with checkSampleCount
    SampleType type = SampleType::float32;
    bool bigEndian = false;
    std::optional<ValueScale> fromHeader;   // the file's own way to m/s, if any
    RecordInfo info;   // codes, rate (from wholeSampleRate), start time; the scale gives the rest
};

// A Type 4 or SAC record whose header has been read: `in` stands at its
// first sample.
struct BinaryRecord {
    BinaryRecord(ByteInput &input, std::string name, const ReadOptions &options);

    ByteInput &input;
    std::string name;
    ReadOptions options;
    Record record;   // filled by the layout, then by the samples
    BinaryInput in;
};

// The record the layout describes, its scale chosen (options.sensitivity,
// then the header's), listed as the file's one entry; read() then reads the
// samples, each through the scale in 64-bit, rounded to 32-bit, summed in
// file order, the largest |value| kept, and then `after` (Type 4's CRC).
// NaN, infinite values, values beyond the 32-bit range and an input that
// ends first are refused.
using AfterSamples = std::function<std::optional<LoadError>(BinaryRecord &)>;
OpenedRecord openedBinary(std::shared_ptr<BinaryRecord> binary, const SampleLayout &layout,
                          AfterSamples after = {});
