#include "record/binary/mseedchannels.h"

#include "record/binary/binarysamples.h"
#include "session/numbertext.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using std::chrono::microseconds;

// Another block of values must leave memory for it and for the levels the
// analysis will make of every value read.
bool roomForAnotherBlock(const ChannelTrace &trace)
{
    const uint64_t block = SampleBlocks::blockValues * sizeof(float);
    return memoryHolds(block + (trace.valueCount + SampleBlocks::blockValues) * sizeof(float));
}

template <class Stored>
void takeValues(ChannelTrace &trace, TracePiece &piece, const Stored *stored, int64_t count)
{
    for (int64_t done = 0; done < count && !trace.problem;) {
        if (piece.values.size() % SampleBlocks::blockValues == 0 && !roomForAnotherBlock(trace)) {
            trace.problem = "its samples do not fit in the memory available (" +
                            std::to_string(trace.valueCount) + " read)";
            break;
        }
        size_t fits = 0;
        float *out = piece.values.room(fits);
        const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(fits), count - done));
        const size_t taken = scaleValues(stored + done, n, trace.scale, out, piece.totals);
        if (taken < n)
            trace.problem = valueRefusal(static_cast<double>(stored[done + taken]),
                                         static_cast<int64_t>(trace.valueCount + taken) + 1);
        piece.values.commit(taken);
        trace.valueCount += taken;
        done += static_cast<int64_t>(taken);
    }
}

// Whether the record continues the piece: the same rate, and a start within
// half a sample of where the piece ended, as recorders' clocks allow.
bool continues(const TracePiece &piece, const RecordSamples &record, int32_t rate)
{
    const double late = static_cast<double>((record.start - piece.nextStart).count());
    return rate == piece.rate && std::abs(late) <= 0.5 * 1e6 / record.rate;
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

void addSamples(ChannelTrace &trace, const RecordSamples &record, const SensitivityChoice &choice)
{
    if (trace.problem)
        return;
    const auto rate = wholeSampleRate(record.rate);
    if (const auto *reason = std::get_if<std::string>(&rate)) {
        trace.problem = *reason;
    } else {
        if (!trace.started) {
            trace.scale = chooseScale(
                choice, {trace.network, trace.station, trace.location, trace.channel, record.start}, std::nullopt);
            trace.started = true;
        }
        if (trace.pieces.empty() || !continues(trace.pieces.back(), record, std::get<int32_t>(rate)))
            trace.pieces.push_back({record.start, std::get<int32_t>(rate), record.start, {}, {}});
        if (static_cast<uint64_t>(record.count) >
            std::numeric_limits<int32_t>::max() - trace.pieces.back().values.size())
            trace.problem = "a piece of it holds more than the 2147483647 samples a record can hold";
    }
    if (!trace.problem) {
        TracePiece &piece = trace.pieces.back();
        piece.nextStart = record.start + microseconds(std::llround(static_cast<double>(record.count) * 1e6 / record.rate));
        switch (record.type) {
        case 'i': takeValues(trace, piece, static_cast<const int32_t *>(record.values), record.count); break;
        case 'f': takeValues(trace, piece, static_cast<const float *>(record.values), record.count); break;
        case 'd': takeValues(trace, piece, static_cast<const double *>(record.values), record.count); break;
        default: trace.problem = "the record at byte " + std::to_string(record.offset) + " holds no numbers";
        }
    }
    if (trace.problem)
        trace.pieces.clear();
}

void settleDamage(ChannelTrace &trace)
{
    if (trace.damaged && trace.valueCount == 0 && !trace.problem) {
        trace.problem = trace.damaged;
        trace.pieces.clear();
    }
}

std::vector<RecordEntry> traceEntries(const ChannelTrace &trace, bool several)
{
    std::vector<RecordEntry> entries;
    const int pieces = static_cast<int>(std::max<size_t>(trace.pieces.size(), 1));
    for (int p = 0; p < pieces; ++p) {
        RecordEntry &entry = entries.emplace_back();
        entry.info.network = trace.network;
        entry.info.station = trace.station;
        entry.info.location = trace.location;
        entry.info.channel = trace.channel;
        if (several)
            entry.channelName = trace.name;
        entry.problem = trace.problem;
        if (trace.problem)
            break;
        const TracePiece &piece = trace.pieces[static_cast<size_t>(p)];
        entry.info.sampleRate = piece.rate;
        entry.info.startTime = piece.start;
        entry.info.unit = trace.scale.asTheyStand ? SampleUnit::asStored : SampleUnit::metresPerSecond;
        if (!trace.scale.asTheyStand)
            entry.info.sensitivity = trace.scale.countsPerMetrePerSecond();
        entry.sampleCount = static_cast<int64_t>(piece.values.size());
        entry.piece = p;
        entry.pieces = pieces;
    }
    return entries;
}

Record takePiece(ChannelTrace &trace, size_t p, const std::function<void()> &tick)
{
    TracePiece &piece = trace.pieces[p];
    Record record;
    static_cast<RecordInfo &>(record) = traceEntries(trace, false)[p].info;
    record.sampleCount = static_cast<int32_t>(piece.values.size());
    record.sum = piece.totals.sum;
    record.largestValue = piece.totals.largest;
    record.samples.reserve(piece.values.size() + 1);
    record.samples.push_back(0.0f);
    if (trace.damaged && p + 1 == trace.pieces.size())
        record.warnings.push_back(*trace.damaged + "; as the channel's last record it is left out, and the " +
                                  std::to_string(piece.values.size()) + " samples before it are read");
    piece.values.moveInto(record.samples, tick);
    return record;
}
