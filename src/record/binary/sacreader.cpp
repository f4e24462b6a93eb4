#include "record/binary/sacreader.h"

#include "record/binary/binaryinput.h"

#include <cmath>

namespace {

constexpr size_t headerBytes = 632;
constexpr int32_t undefined = -12345;   // an unset header field

// Header fields: floats from byte 0, integers from byte 280, 4 bytes each.
enum FloatField { delta = 0 };
enum IntField { npts = 9, iftype = 15, idep = 16, leven = 35 };

struct SacHeader {
    const char *bytes;
    bool bigEndian;
    float number(FloatField f) const { return loadNumber<float>(bytes + 4 * f, bigEndian); }
    int32_t integer(IntField f) const { return loadNumber<int32_t>(bytes + 280 + 4 * f, bigEndian); }
    std::string text(size_t offset) const
    {
        std::string t = fixedText(bytes + offset, 8);
        return t == "-12345" ? std::string() : t;
    }
};

// How the dependent variable becomes m/s, or the reason it cannot.
std::variant<std::optional<ValueScale>, std::string> quantity(int32_t kind)
{
    const char *const velocityOnly = "; Sismavue analyses velocity records";
    switch (kind) {
    case 7: return std::optional<ValueScale>(ValueScale{1e-9, 1, false});   // nm/s
    case 5:
    case undefined: return std::optional<ValueScale>();                      // counts
    case 6: return std::string("holds displacement") + velocityOnly;
    case 8: return std::string("holds acceleration") + velocityOnly;
    case 50: return std::string("holds volts") + velocityOnly;
    default: return "holds an unknown quantity (IDEP " + std::to_string(kind) + ")";
    }
}

} // namespace

ReadResult readSac(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    PsnRecord record;
    BinaryInput in(input, options.threads.readPartBytes, readTick(input, record, options.progress));
    in.keepCrc(false);
    char bytes[headerBytes];
    if (!in.take(bytes, sizeof bytes))
        return endedEarly(in, name, "the file ends inside its 632-byte header");
    const SacHeader h{bytes, loadNumber<int32_t>(bytes + 304, false) != 6};

    if (const int32_t type = h.integer(iftype); type != 1)
        return LoadError{name, 0, "is not a time series (IFTYPE " + std::to_string(type) +
                                      "); Sismavue reads time series only"};
    if (const int32_t even = h.integer(leven); even != 1)
        return LoadError{name, 0, "is not evenly sampled (LEVEN " + std::to_string(even) + ")"};
    const auto fromHeader = quantity(h.integer(idep));
    if (const auto *reason = std::get_if<std::string>(&fromHeader))
        return LoadError{name, 0, *reason};
    const double step = h.number(delta);
    if (!std::isfinite(step) || step <= 0)
        return LoadError{name, 0, "has an impossible sampling interval (DELTA " + shortestText(step) + " s)"};
    const auto rate = wholeSampleRate(1.0 / step);
    if (const auto *reason = std::get_if<std::string>(&rate))
        return LoadError{name, 0, *reason};
    if (auto error = checkSampleCount(h.integer(npts), 4, in.bytesLeft(), name))
        return *error;

    const SampleLayout layout{h.integer(npts), std::get<int32_t>(rate), h.text(440), h.text(600),
                              SampleType::float32, h.bigEndian, std::get<std::optional<ValueScale>>(fromHeader)};
    if (auto error = readBinarySamples(in, layout, record, options, name))
        return *error;
    return record;
}
