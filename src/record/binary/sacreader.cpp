#include "record/binary/sacreader.h"

#include "record/binary/binarysamples.h"
#include "session/numbertext.h"

#include <cmath>

namespace {

constexpr size_t headerBytes = 632;
constexpr int32_t undefined = -12345;   // an unset header field

// Header fields: floats from byte 0, integers from byte 280, 4 bytes each.
enum FloatField { delta = 0, begin = 5 };
enum IntField { nzyear = 0, nzjday, nzhour, nzmin, nzsec, nzmsec, npts = 9, iftype = 15, idep = 16, leven = 35 };
// Texts of 8 bytes: station, location (KHOLE), component, network.
enum TextField { kstnm = 440, khole = 464, kcmpnm = 600, knetwk = 608 };

struct SacHeader {
    const char *bytes;
    bool bigEndian;
    float number(FloatField f) const { return loadNumber<float>(bytes + 4 * f, bigEndian); }
    int32_t integer(IntField f) const { return loadNumber<int32_t>(bytes + 280 + 4 * f, bigEndian); }
    std::string text(TextField f) const
    {
        std::string t = fixedText(bytes + f, 8);
        return t == "-12345" ? std::string() : t;
    }
    std::optional<UtcTime> startTime() const;
};

// The reference time (year, day of the year, hour, minute, second,
// millisecond) plus B, the first sample's offset from it in seconds; none
// when any of them is unset or out of range.
std::optional<UtcTime> SacHeader::startTime() const
{
    int32_t fields[6];
    for (int f = nzyear; f <= nzmsec; ++f)
        if ((fields[f] = integer(static_cast<IntField>(f))) == undefined)
            return std::nullopt;
    const double offset = number(begin);
    if (offset == undefined || !(std::abs(offset) <= 1e9) || fields[5] < 0 || fields[5] > 999)
        return std::nullopt;
    const auto reference = utcTimeOfYearDay(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5] * 1000);
    if (!reference)
        return std::nullopt;
    return *reference + std::chrono::microseconds(std::llround(offset * 1e6));
}

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

bool recognisesSac(std::string_view head)
{
    // The header version, 6, in either byte order.
    if (head.size() < 308)
        return false;
    const std::string_view version = head.substr(304, 4);
    return version == std::string_view("\x06\0\0\0", 4) || version == std::string_view("\0\0\0\x06", 4);
}

OpenResult openSac(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    auto binary = std::make_shared<BinaryRecord>(input, name, options);
    BinaryInput &in = binary->in;
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

    SampleLayout layout{h.integer(npts), SampleType::float32, h.bigEndian,
                        std::get<std::optional<ValueScale>>(fromHeader), {}};
    layout.info.network = h.text(knetwk);
    layout.info.station = h.text(kstnm);
    layout.info.location = h.text(khole);
    layout.info.channel = h.text(kcmpnm);
    layout.info.sampleRate = std::get<int32_t>(rate);
    layout.info.startTime = h.startTime();
    return openedBinary(binary, layout);
}
