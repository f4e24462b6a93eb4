#include "record/mseedchannels.h"

#include "record/binaryinput.h"
#include "session/memory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

namespace {

constexpr int64_t microseconds = 1000000;

std::string seconds(int64_t span)
{
    return shortestText(static_cast<double>(span) / microseconds) + " s";
}

std::string valueRefusal(double stored, int64_t sample)
{
    return "sample " + std::to_string(sample) +
           (std::isnan(stored)   ? " is not a number"
            : std::isinf(stored) ? " is infinite"
                                 : " is beyond the 32-bit float range");
}

// Another block of values must leave memory for it and for the levels the
// analysis will make of every value read.
bool roomForAnotherBlock(const ChannelTrace &trace)
{
    const uint64_t block = SampleBlocks::blockValues * sizeof(float);
    const uint64_t needed = block + (trace.values.size() + SampleBlocks::blockValues) * sizeof(float);
    const uint64_t memory = availableMemory();
    return memory == 0 || needed <= memory;
}

// Values go through the scale in 64-bit (no arithmetic when they are taken
// as they stand, which would give them back unchanged) and are rounded to
// 32-bit; the sum and the largest are kept in locals, which a store of a
// value could otherwise overwrite as far as the compiler can tell.
template <class Stored, bool asTheyStand>
void takeValues(ChannelTrace &trace, const Stored *stored, int64_t count)
{
    const double factor = trace.scale.factor, divisor = trace.scale.divisor;
    double sum = trace.sum;
    float largest = trace.largest;
    for (int64_t done = 0; done < count && !trace.problem;) {
        if (trace.values.size() % SampleBlocks::blockValues == 0 && !roomForAnotherBlock(trace)) {
            trace.problem = "its samples do not fit in the memory available (" +
                            std::to_string(trace.values.size()) + " read)";
            break;
        }
        size_t fits = 0;
        float *out = trace.values.room(fits);
        const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(fits), count - done));
        const Stored *in = stored + done;
        size_t i = 0;
        for (; i < n; ++i) {
            const double value = static_cast<double>(in[i]);
            const float v = static_cast<float>(asTheyStand ? value : value * factor / divisor);
            if (!std::isfinite(v)) {
                trace.problem = valueRefusal(value, static_cast<int64_t>(trace.values.size() + i) + 1);
                break;
            }
            out[i] = v;
            sum += v;
            largest = std::max(largest, std::abs(v));
        }
        trace.values.commit(i);
        done += static_cast<int64_t>(i);
    }
    trace.sum = sum;
    trace.largest = largest;
}

template <class Stored>
void takeValues(ChannelTrace &trace, const void *stored, int64_t count)
{
    if (trace.scale.asTheyStand)
        takeValues<Stored, true>(trace, static_cast<const Stored *>(stored), count);
    else
        takeValues<Stored, false>(trace, static_cast<const Stored *>(stored), count);
}

// Where the record does not continue the channel: the reason, else nothing.
std::optional<std::string> discontinuity(const ChannelTrace &trace, const RecordSamples &record, int32_t rate)
{
    if (rate != trace.rate)
        return "the sampling rate changes from " + std::to_string(trace.rate) + " to " + std::to_string(rate) +
               " samples per second at " + timeText(record.start);
    // Within half a sample the record follows on, as recorders' clocks allow.
    const int64_t late = record.start - trace.nextStart;
    const double halfSample = 0.5 * microseconds / record.rate;
    if (static_cast<double>(late) > halfSample)
        return "a gap of " + seconds(late) + " from " + timeText(trace.nextStart) + " to " +
               timeText(record.start) + "; Sismavue reads channels without gaps or overlaps";
    if (static_cast<double>(-late) > halfSample)
        return "an overlap of " + seconds(-late) + " at " + timeText(record.start) +
               "; Sismavue reads channels without gaps or overlaps";
    return std::nullopt;
}

} // namespace

std::string channelId(const ChannelTrace &trace)
{
    return trace.network + "." + trace.station + "." + trace.location + "." + trace.channel;
}

void nameChannels(std::vector<ChannelTrace> &traces)
{
    for (ChannelTrace &trace : traces) {
        const auto sameCode = std::count_if(traces.begin(), traces.end(), [&](const ChannelTrace &other) {
            return other.channel == trace.channel;
        });
        trace.name = sameCode == 1 ? trace.channel : channelId(trace);
    }
}

bool channelMatches(const ChannelTrace &trace, std::string_view asked)
{
    return asked == trace.channel || asked == channelId(trace);
}

size_t offeredChannel(const std::vector<std::string> &names)
{
    const auto z = std::find_if(names.begin(), names.end(),
                                [](const std::string &name) { return name.ends_with('Z'); });
    return z == names.end() ? 0 : static_cast<size_t>(z - names.begin());
}

void addSamples(ChannelTrace &trace, const RecordSamples &record, const SensitivityChoice &choice)
{
    if (trace.problem)
        return;
    const auto rate = wholeSampleRate(record.rate);
    if (const auto *reason = std::get_if<std::string>(&rate)) {
        trace.problem = *reason;
    } else if (trace.rate == 0) {
        trace.rate = std::get<int32_t>(rate);
        trace.scale = chooseScale(choice, trace.station, trace.channel, std::nullopt);
    } else {
        trace.problem = discontinuity(trace, record, std::get<int32_t>(rate));
    }
    if (!trace.problem && static_cast<uint64_t>(record.count) >
                              std::numeric_limits<int32_t>::max() - trace.values.size())
        trace.problem = "it holds more than the 2147483647 samples a record can hold";
    if (trace.problem) {
        trace.values.clear();
        return;
    }
    trace.nextStart = record.start + std::llround(static_cast<double>(record.count) * microseconds / record.rate);
    switch (record.type) {
    case 'i': takeValues<int32_t>(trace, record.values, record.count); break;
    case 'f': takeValues<float>(trace, record.values, record.count); break;
    case 'd': takeValues<double>(trace, record.values, record.count); break;
    default: trace.problem = "the record at byte " + std::to_string(record.offset) + " holds no numbers";
    }
    if (trace.problem)
        trace.values.clear();
}

ReadResult takeChannel(ChannelTrace &&trace, const std::string &file, bool several,
                       const std::function<void()> &tick)
{
    if (trace.damaged && trace.values.size() == 0)
        trace.problem = trace.damaged;
    if (trace.problem)
        return LoadError{file, 0, "channel " + trace.name + ": " + *trace.problem};
    PsnRecord record;
    if (trace.damaged)
        record.warnings.push_back(*trace.damaged + "; as the channel's last record it is left out, and the " +
                                  std::to_string(trace.values.size()) + " samples before it are read");
    record.sampleCount = static_cast<int32_t>(trace.values.size());
    record.sampleRate = trace.rate;
    record.stationCode = trace.station;
    record.componentName = trace.channel;
    if (!trace.scale.asTheyStand)
        record.sensitivity = trace.scale.countsPerMetrePerSecond();
    record.sum = trace.sum;
    record.largestValue = trace.largest;
    if (several)
        record.channel = trace.name;
    reserveLarge(record.samples, trace.values.size() + 1);
    record.samples.push_back(0.0f);
    trace.values.moveInto(record.samples, tick);
    return record;
}

std::string timeText(int64_t time)
{
    // Whole seconds rounded down, so that times before 1970 keep their
    // fraction positive.
    int64_t whole = time / microseconds, fraction = time % microseconds;
    if (fraction < 0) {
        --whole;
        fraction += microseconds;
    }
    const std::time_t t = static_cast<std::time_t>(whole);
    std::tm utc{};
    if (!::gmtime_r(&t, &utc))
        return std::to_string(time) + " microseconds after 1970";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%06lld UTC", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<long long>(fraction));
    return text;
}
