#include "record/binary/psntype4.h"

#include "record/binary/binarysamples.h"
#include "session/numbertext.h"

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
    std::string network, station, component;
    double sensitivity = 0;   // cm/s per count for a velocity sensor
    std::optional<UtcTime> start;
};

// The time of the first sample: the date and time at byte 12 (year, month,
// day, hour, minute, second, a byte not used, nanoseconds) plus the offset
// in seconds at byte 24. None when the date is not set or cannot be, or the
// offset is not a time within a day.
std::optional<UtcTime> startTime(const char *h)
{
    const auto byte = [&](size_t offset) { return static_cast<int>(at<uint8_t>(h, offset)); };
    const uint32_t nanoseconds = at<uint32_t>(h, 20);
    const double offset = at<double>(h, 24);
    if (nanoseconds > 999'999'999 || !(std::abs(offset) <= 86400))
        return std::nullopt;
    const auto start = utcTime(at<uint16_t>(h, 12), byte(14), byte(15), byte(16), byte(17), byte(18), 0);
    if (!start)
        return std::nullopt;
    return *start + std::chrono::microseconds(std::llround(nanoseconds / 1000.0 + offset * 1e6));
}

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
    t.network = fixedText(h + 106, 6);
    t.sensitivity = at<double>(h, 112);
    t.start = startTime(h);
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

// Checks the CRC after the samples: the one stored in the file's last two
// bytes must be that of everything before them.
std::optional<LoadError> checkCrc(BinaryRecord &b)
{
    const uint16_t computed = b.in.crc();
    char stored[2];
    if (!b.in.take(stored, sizeof stored))
        return endedEarly(b.in, b.name, "the file ends before its CRC");
    const auto expected = loadNumber<uint16_t>(stored, false);
    if (expected != computed)
        return LoadError{b.name, 0, "the CRC stored in the file is " + hex(expected) + " but its bytes give " +
                                        hex(computed)};
    return std::nullopt;
}

} // namespace

bool recognisesPsnType4(std::string_view head)
{
    return head.starts_with("PSNTYPE4");
}

OpenResult openPsnType4(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    auto binary = std::make_shared<BinaryRecord>(input, name, options);
    BinaryInput &in = binary->in;
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

    SampleLayout layout{static_cast<int32_t>(t.count), type, false, std::nullopt, {}};
    layout.info.network = t.network;
    layout.info.station = t.station;
    layout.info.channel = t.component;
    layout.info.sampleRate = std::get<int32_t>(rate);
    layout.info.startTime = t.start;
    if (t.sensorType == 2 && t.sensitivity != 0)
        layout.fromHeader = ValueScale{t.sensitivity, 100, false};
    return openedBinary(binary, layout, t.noCrc ? AfterSamples() : checkCrc);
}
