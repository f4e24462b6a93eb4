#include "record/binary/psntype4.h"

#include "record/binary/binaryinput.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr size_t headerBytes = 154;

template <class T>
T at(const char *header, size_t offset)
{
    return loadNumber<T>(header + offset, false);
}

// The fixed header's fields that decide how the record is read.
struct Type4Header {
    uint32_t variableBytes = 0;
    double rate = 0;
    uint32_t count = 0;
    bool noCrc = false;
    uint8_t sampleType = 0, compression = 0, sensorType = 0;
    std::string station, component;
    double sensitivity = 0;   // cm/s per count for a velocity sensor
};

Type4Header parseHeader(const char *h)
{
    Type4Header t;
    t.variableBytes = at<uint32_t>(h, 8);
    t.rate = at<double>(h, 32);
    t.count = at<uint32_t>(h, 40);
    t.noCrc = at<uint32_t>(h, 44) & 1;
    t.sampleType = at<uint8_t>(h, 52);
    t.compression = at<uint8_t>(h, 53);
    t.sensorType = at<uint8_t>(h, 71);
    t.station = fixedText(h + 96, 6);
    t.component = fixedText(h + 102, 4);
    t.sensitivity = at<double>(h, 112);
    return t;
}

// The header's refusals, in the order a person would want to hear them.
std::optional<std::string> refusal(const Type4Header &t)
{
    if (t.compression != 0)
        return "holds compressed samples (compression " + std::to_string(t.compression) +
               "), which Sismavue does not read";
    if (t.sampleType > 3)
        return "has an unknown sample type " + std::to_string(t.sampleType);
    if (t.sensorType == 1)
        return "holds acceleration; Sismavue analyses velocity records";
    if (t.sensorType == 3)
        return "holds displacement; Sismavue analyses velocity records";
    if (t.sensorType > 3)
        return "has an unknown sensor type " + std::to_string(t.sensorType);
    if (t.sensorType == 2 && (!std::isfinite(t.sensitivity) || t.sensitivity < 0))
        return "has an impossible sensitivity " + shortestText(t.sensitivity) + " cm/s per count";
    return std::nullopt;
}

// Passes over the variable header: blocks of {0x55, id, u32 length, data};
// a block with id 0 and length 0 ends them before their announced end.
std::optional<LoadError> skipVariableHeader(BinaryInput &in, uint32_t bytes, const std::string &name)
{
    if (const auto left = in.bytesLeft(); left && bytes > *left)
        return LoadError{name, 0,
                         "the header announces " + std::to_string(bytes) +
                             " bytes of variable header but only " + std::to_string(*left) +
                             " bytes follow it"};
    const char *const ends = "the file ends inside its variable header";
    uint64_t left = bytes;
    char block[6];
    while (left >= sizeof block) {
        const uint64_t at = in.offset();
        if (!in.take(block, sizeof block))
            return endedEarly(in, name, ends);
        left -= sizeof block;
        const uint32_t length = loadNumber<uint32_t>(block + 2, false);
        if (static_cast<uint8_t>(block[0]) != 0x55)
            return LoadError{name, 0, "the variable header's block at byte " + std::to_string(at) +
                                          " does not start with 0x55"};
        if (block[1] == 0 && length == 0)
            break;
        if (length > left)
            return LoadError{name, 0,
                             "the variable header's block at byte " + std::to_string(at) +
                                 " runs past the variable header's end"};
        if (!in.skip(length))
            return endedEarly(in, name, ends);
        left -= length;
    }
    if (!in.skip(left))
        return endedEarly(in, name, ends);
    return std::nullopt;
}

std::string hex(uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

} // namespace

ReadResult readPsnType4(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    PsnRecord record;
    BinaryInput in(input, options.threads.readPartBytes, readTick(input, record, options.progress));
    char h[headerBytes];
    if (!in.take(h, sizeof h))
        return endedEarly(in, name, "the file ends inside its 154-byte header");
    const Type4Header t = parseHeader(h);
    in.keepCrc(!t.noCrc);
    if (auto reason = refusal(t))
        return LoadError{name, 0, *reason};
    const auto rate = wholeSampleRate(t.rate);
    if (const auto *reason = std::get_if<std::string>(&rate))
        return LoadError{name, 0, *reason};
    if (auto error = skipVariableHeader(in, t.variableBytes, name))
        return *error;
    const auto type = static_cast<SampleType>(t.sampleType);
    std::optional<uint64_t> dataBytes = in.bytesLeft();
    if (dataBytes && !t.noCrc)
        *dataBytes -= std::min<uint64_t>(*dataBytes, 2);
    if (auto error = checkSampleCount(t.count, sampleBytes(type), dataBytes, name))
        return *error;

    SampleLayout layout{static_cast<int32_t>(t.count), std::get<int32_t>(rate), t.station, t.component, type,
                        false, std::nullopt};
    if (t.sensorType == 2 && t.sensitivity != 0)
        layout.fromHeader = ValueScale{t.sensitivity, 100, false};
    if (auto error = readBinarySamples(in, layout, record, options, name))
        return *error;
    if (!t.noCrc) {
        const uint16_t computed = in.crc();
        char stored[2];
        if (!in.take(stored, sizeof stored))
            return endedEarly(in, name, "the file ends before its CRC");
        const auto expected = loadNumber<uint16_t>(stored, false);
        if (expected != computed)
            return LoadError{name, 0, "the CRC stored in the file is " + hex(expected) +
                                          " but its bytes give " + hex(computed)};
    }
    return record;
}
