#include "record/mseedreader.h"

#include "record/binaryinput.h"
#include "record/mseedchannels.h"
#include "record/mseedlibrary.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr size_t fixedHeaderBytes = 48;

// How far past a record's start the library may read to find its length,
// whatever bytes it is told are there: it reads blockette headers where the
// record's 16-bit offsets put them. Each record is parsed with this much of
// the input in memory (or all that is left), and zeros after the input's
// end, so that what the library reads is always the same bytes of the file,
// in whatever parts it came.
constexpr size_t libraryReach = 65536 + 64;

// The input's bytes from the current record on, read in parts, with
// libraryReach zeros after the last byte read.
class RecordBuffer {
public:
    RecordBuffer(ByteInput &input, const ReadOptions &options)
        : input_(input), options_(options), bytes_(libraryReach)
    {
    }

    // At least `count` bytes from the current record on, unless the input
    // ends first; returns how many there are.
    size_t fill(size_t count)
    {
        const size_t part = std::max<size_t>(1, options_.threads.readPartBytes);
        while (end_ - begin_ < count && !ended_) {
            if (room() == 0 || bytes_.size() - libraryReach - begin_ < count) {
                const size_t kept = end_ - begin_;
                if (begin_ > 0) {
                    std::memmove(bytes_.data(), bytes_.data() + begin_, kept);
                    std::memset(bytes_.data() + kept, 0, begin_);
                }
                begin_ = 0;
                end_ = kept;
                bytes_.resize(std::max({bytes_.size(), count + libraryReach,
                                        std::min<size_t>(part, MAXRECLEN) + libraryReach}));
            }
            const size_t wanted = std::min(part, room());
            const size_t got = input_.read(bytes_.data() + end_, wanted);
            end_ += got;
            ended_ = got < wanted;
            tick();
        }
        return end_ - begin_;
    }
    char *data() { return bytes_.data() + begin_; }
    size_t available() const { return end_ - begin_; }
    uint64_t offset() const { return offset_; }
    void advance(size_t count)
    {
        begin_ += count;
        offset_ += count;
    }
    void tick() const
    {
        if (!options_.progress)
            return;
        const auto size = input_.size();
        const double done = size && *size > 0 ? static_cast<double>(input_.bytesRead()) / static_cast<double>(*size) : 0;
        options_.progress(5 + static_cast<int>(5 * std::min(1.0, done)));
    }

private:
    size_t room() const { return bytes_.size() - libraryReach - end_; }

    ByteInput &input_;
    const ReadOptions &options_;
    std::vector<char> bytes_;
    size_t begin_ = 0, end_ = 0;
    uint64_t offset_ = 0;   // of bytes_[begin_] in the input
    bool ended_ = false;
};

ChannelTrace &traceOf(std::vector<ChannelTrace> &traces, const MSRecord &r, const ReadOptions &options)
{
    const auto same = [&](const ChannelTrace &t) {
        return t.network == r.network && t.station == r.station && t.location == r.location && t.channel == r.channel;
    };
    if (!traces.empty() && same(traces.back()))
        return traces.back();
    const auto found = std::find_if(traces.begin(), traces.end(), same);
    if (found != traces.end())
        return *found;
    ChannelTrace &trace = traces.emplace_back();
    trace.network = r.network;
    trace.station = r.station;
    trace.location = r.location;
    trace.channel = r.channel;
    trace.wanted = !options.channel || channelMatches(trace, *options.channel);
    return trace;
}

// Bytes per sample of the encodings read, 0 for the compressed ones.
std::optional<size_t> sampleWidth(int encoding)
{
    switch (encoding) {
    case DE_INT16: return 2;
    case DE_INT32:
    case DE_FLOAT32: return 4;
    case DE_FLOAT64: return 8;
    case DE_STEIM1:
    case DE_STEIM2: return 0;
    default: return std::nullopt;
    }
}

// Why the record's samples, in an encoding read, cannot be decoded safely,
// checked before the library reads them: it trusts the sample count of the
// plain encodings.
std::optional<std::string> undecodable(const MSRecord &r, const std::string &where)
{
    const auto width = sampleWidth(r.encoding);
    const int dataOffset = r.fsdh->data_offset;
    if (dataOffset < static_cast<int>(fixedHeaderBytes) || dataOffset >= r.reclen)
        return where + " places its samples at byte " + std::to_string(dataOffset) + ", outside its " +
               std::to_string(r.reclen) + " bytes";
    const int64_t room = r.reclen - dataOffset;
    if (*width > 0 && r.samplecnt * static_cast<int64_t>(*width) > room)
        return where + " announces " + std::to_string(r.samplecnt) + " samples, more than its " +
               std::to_string(room) + " bytes of samples hold";
    return std::nullopt;
}

// Decodes the record into its channel. A record that cannot be decoded is
// the channel's damage, which only a later record of the channel makes its
// problem: the library reads the records before a damaged last one too.
void decodeInto(ChannelTrace &trace, RecordPtr &record, RecordBuffer &buffer, const ReadOptions &options)
{
    const std::string where = "the record at byte " + std::to_string(buffer.offset());
    const int length = record->reclen;
    if (trace.damaged) {
        trace.problem = trace.damaged;
    } else if (!sampleWidth(record->encoding)) {
        trace.problem = where + " holds samples in encoding " + std::to_string(record->encoding) + " (" +
                        ms_encodingstr(static_cast<char>(record->encoding)) + "), which Sismavue does not read";
    } else if (auto reason = undecodable(*record, where)) {
        trace.damaged = std::move(reason);
    } else if (const int code = parseRecordAt(record, buffer.data(), static_cast<size_t>(length), length, true); code != 0) {
        trace.damaged = where + " cannot be decoded: " + libraryReason(code);
    } else if (librarySpoke()) {
        // A Steim record whose last sample does not check out decodes, with a warning.
        trace.damaged = where + " is damaged: " + libraryReason(0);
    } else if (record->numsamples != record->samplecnt) {
        trace.damaged = where + " holds " + std::to_string(record->numsamples) + " of the " +
                        std::to_string(record->samplecnt) + " samples it announces";
    } else {
        const RecordSamples samples{record->starttime, record->samprate, record->datasamples,
                                    record->numsamples, record->sampletype, buffer.offset()};
        addSamples(trace, samples, options.sensitivity);
    }
    if (trace.problem)
        trace.values.clear();
}

// Reads the file's records one after the other into their channels.
std::variant<std::vector<ChannelTrace>, LoadError> readTraces(ByteInput &input, const std::string &name,
                                                              const ReadOptions &options)
{
    RecordBuffer buffer(input, options);
    RecordPtr record;
    std::vector<ChannelTrace> traces;
    bool first = true;
    while (buffer.fill(libraryReach) > 0) {
        const std::string where = "the record at byte " + std::to_string(buffer.offset());
        if (buffer.available() < fixedHeaderBytes)
            return endedEarly(input, name, "the file ends inside " + where);
        if (!startsMiniSeed(std::string_view(buffer.data(), buffer.available())))
            return LoadError{name, 0, "byte " + std::to_string(buffer.offset()) + " does not start a miniSEED record"};
        int code = 0;
        // A positive code is how many more bytes the record may need: the
        // whole smallest record while its length is not yet in sight.
        while ((code = parseRecordAt(record, buffer.data(), buffer.available(), 0, false)) > 0) {
            const size_t had = buffer.available();
            // Only a record without its length (blockette 1000) needs more.
            if (had >= MAXRECLEN)
                return LoadError{name, 0, where + " has no blockette 1000, which gives a record's length"};
            if (buffer.fill(std::min<size_t>(had + static_cast<size_t>(code), MAXRECLEN)) == had)
                return endedEarly(input, name, "the file ends inside " + where);
        }
        if (code == MS_OUTOFRANGE)
            return LoadError{name, 0, where + " announces a length that does not fit: " + libraryReason(code)};
        if (code < 0)
            return LoadError{name, 0, where + " cannot be read: " + libraryReason(code)};
        if (!record->Blkt1000)
            return LoadError{name, 0, where + " has no blockette 1000, which gives a record's length"};
        if (first && options.headerRead)
            options.headerRead();
        first = false;
        // A record that fails to decode is freed by the library: its length
        // is kept first.
        const size_t length = static_cast<size_t>(record->reclen);
        // Records of text, or of no samples at all, hold nothing to analyse.
        if (record->samplecnt > 0 && record->encoding != DE_ASCII) {
            ChannelTrace &trace = traceOf(traces, *record, options);
            if (trace.wanted && !trace.problem)
                decodeInto(trace, record, buffer, options);
        }
        buffer.advance(length);
    }
    if (traces.empty())
        return LoadError{name, 0, "holds no samples: its records hold text, or nothing"};
    nameChannels(traces);
    return traces;
}

std::string namesOf(const std::vector<ChannelTrace> &traces)
{
    std::string names;
    for (const ChannelTrace &trace : traces)
        names += (names.empty() ? "" : ", ") + trace.name;
    return names;
}

// A file's channels, and those to read: the one options.channel names, else all.
struct Channels {
    std::vector<ChannelTrace> traces;
    std::vector<size_t> picked;
};

std::variant<Channels, LoadError> readChannels(ByteInput &input, const std::string &name,
                                               const ReadOptions &options)
{
    auto read = readTraces(input, name, options);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    Channels c{std::get<std::vector<ChannelTrace>>(std::move(read)), {}};
    for (size_t i = 0; i < c.traces.size(); ++i)
        if (c.traces[i].wanted)
            c.picked.push_back(i);
    if (!options.channel)
        return c;
    if (c.picked.empty())
        return LoadError{name, 0, "holds no channel " + *options.channel + "; its channels: " + namesOf(c.traces)};
    if (c.picked.size() > 1) {
        std::string ids;
        for (size_t i : c.picked)
            ids += (ids.empty() ? "" : ", ") + channelId(c.traces[i]);
        return LoadError{name, 0, "holds several channels " + *options.channel + " (" + ids +
                                      "); name one as NET.STA.LOC.CHA"};
    }
    return c;
}

std::function<void()> moveTick(const ReadOptions &options)
{
    if (!options.progress)
        return {};
    return [&options] { options.progress(10); };
}

} // namespace

bool startsMiniSeed(std::string_view head)
{
    if (head.size() < fixedHeaderBytes)
        return false;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(head[i]); };
    for (size_t i = 0; i < 6; ++i)
        if (!std::isdigit(byte(i)) && byte(i) != ' ' && byte(i) != 0)
            return false;
    return std::strchr("DRQM", head[6]) && head[6] != 0 && (head[7] == ' ' || head[7] == 0) &&
           byte(24) <= 23 && byte(25) <= 59 && byte(26) <= 60;
}

std::variant<std::vector<ReadResult>, LoadError> readMiniSeed(ByteInput &input, const std::string &name,
                                                               const ReadOptions &options)
{
    auto read = readChannels(input, name, options);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    auto &[traces, picked] = std::get<Channels>(read);
    std::vector<ReadResult> channels;
    for (size_t i : picked)
        channels.push_back(takeChannel(std::move(traces[i]), name, traces.size() > 1, moveTick(options)));
    return channels;
}

ReadResult readMiniSeedChannel(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    auto read = readChannels(input, name, options);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    auto &[traces, picked] = std::get<Channels>(read);
    size_t one = picked.front();
    if (!options.channel && traces.size() > 1) {
        if (!options.chooseChannel)
            return LoadError{name, 0, "holds several channels (" + namesOf(traces) + "); one must be chosen"};
        std::vector<std::string> names;
        for (const ChannelTrace &trace : traces)
            names.push_back(trace.name);
        const std::optional<std::string> answer = options.chooseChannel(names);
        const auto it = std::find(names.begin(), names.end(), answer.value_or(""));
        if (!answer)
            return LoadError{name, 0, "no channel was chosen", true};
        if (it == names.end())
            return LoadError{name, 0, "holds no channel " + *answer + "; its channels: " + namesOf(traces)};
        one = static_cast<size_t>(it - names.begin());
    }
    // The others' values go before this one's are moved.
    for (size_t i = 0; i < traces.size(); ++i)
        if (i != one)
            traces[i].values.clear();
    return takeChannel(std::move(traces[one]), name, traces.size() > 1, moveTick(options));
}
