#include "record/mseedreader.h"

#include "record/binaryinput.h"
#include "record/mseedchannels.h"

#include <libmseed.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

constexpr size_t fixedHeaderBytes = 48;

// What libmseed last said on this thread. The library writes its messages
// here, never to the terminal: the reader says what went wrong itself and
// adds the library's words where they help.
thread_local std::string libraryMessage;

void keepMessage(char *text)
{
    if (libraryMessage.empty())
        libraryMessage = text;
}

void prepareLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ms_loginit(keepMessage, "", keepMessage, "");
        // Records are decoded as they say, whatever UNPACK_* variables the
        // environment holds (the library would otherwise read them on first
        // use, from whichever thread comes first).
        MS_UNPACKHEADERBYTEORDER(-1);
        MS_UNPACKDATABYTEORDER(-1);
        MS_UNPACKENCODINGFORMAT(-1);
        MS_UNPACKENCODINGFALLBACK(DE_STEIM1);
    });
}

// The library's words for a failure, without the function and stream
// names it puts before them.
std::string libraryReason(int code)
{
    std::string text = libraryMessage.empty() ? std::string(ms_errorstr(code)) : libraryMessage;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    for (size_t colon; (colon = text.find(": ")) != std::string::npos &&
                       text.find(' ') > colon;)
        text.erase(0, colon + 2);
    return text;
}

struct FreeRecord {
    void operator()(MSRecord *record) const { msr_free(&record); }
};
using RecordPtr = std::unique_ptr<MSRecord, FreeRecord>;

// Parses the record at `bytes`; `length` 0 finds its length.
int parse(RecordPtr &record, char *bytes, size_t available, int length, bool samples)
{
    libraryMessage.clear();
    MSRecord *raw = record.release();
    const int code = msr_parse(bytes, static_cast<int>(available), &raw, length > 0 ? length : -1, samples, 0);
    record.reset(raw);
    return code;
}

// The input's bytes from the current record on, read in parts.
class RecordBuffer {
public:
    RecordBuffer(ByteInput &input, const ReadOptions &options) : input_(input), options_(options) {}

    // At least `count` bytes from the current record on, unless the input
    // ends first; returns how many there are.
    size_t fill(size_t count)
    {
        const size_t part = std::max<size_t>(1, options_.threads.readPartBytes);
        while (end_ - begin_ < count && !ended_) {
            if (bytes_.size() - begin_ < count || end_ == bytes_.size()) {
                if (begin_ > 0)
                    std::memmove(bytes_.data(), bytes_.data() + begin_, end_ - begin_);
                end_ -= begin_;
                begin_ = 0;
                bytes_.resize(std::max({bytes_.size(), count, std::min<size_t>(part, MAXRECLEN)}));
            }
            const size_t wanted = std::min(part, bytes_.size() - end_);
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

// Why the record's samples cannot be decoded safely, checked before the
// library reads them: it trusts the sample count of the plain encodings.
std::optional<std::string> undecodable(const MSRecord &r, const std::string &where)
{
    const auto width = sampleWidth(r.encoding);
    if (!width)
        return where + " holds samples in encoding " + std::to_string(r.encoding) + " (" +
               ms_encodingstr(static_cast<char>(r.encoding)) + "), which Sismavue does not read";
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

void decodeInto(ChannelTrace &trace, RecordPtr &record, RecordBuffer &buffer, const ReadOptions &options)
{
    const std::string where = "the record at byte " + std::to_string(buffer.offset());
    const int length = record->reclen;
    if (auto reason = undecodable(*record, where)) {
        trace.problem = std::move(reason);
    } else if (const int code = parse(record, buffer.data(), static_cast<size_t>(length), length, true); code != 0) {
        trace.problem = where + " cannot be decoded: " + libraryReason(code);
    } else if (!libraryMessage.empty()) {
        // A Steim record whose last sample does not check out decodes, with a warning.
        trace.problem = where + " is damaged: " + libraryReason(0);
    } else if (record->numsamples != record->samplecnt) {
        trace.problem = where + " holds " + std::to_string(record->numsamples) + " of the " +
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
    prepareLibrary();
    RecordBuffer buffer(input, options);
    RecordPtr record;
    std::vector<ChannelTrace> traces;
    bool first = true;
    while (buffer.fill(fixedHeaderBytes) > 0) {
        const std::string where = "the record at byte " + std::to_string(buffer.offset());
        if (buffer.available() < fixedHeaderBytes)
            return endedEarly(input, name, "the file ends inside " + where);
        if (!startsMiniSeed(std::string_view(buffer.data(), buffer.available())))
            return LoadError{name, 0, "byte " + std::to_string(buffer.offset()) + " does not start a miniSEED record"};
        int code = 0;
        // A positive code is how many more bytes the record needs.
        while ((code = parse(record, buffer.data(), buffer.available(), 0, false)) > 0) {
            const size_t needed = buffer.available() + static_cast<size_t>(code);
            // Only a record without its length (blockette 1000) needs more.
            if (needed > MAXRECLEN)
                return LoadError{name, 0, where + " has no blockette 1000, which gives a record's length"};
            if (buffer.fill(needed) < needed)
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

// The channels to read: the one options.channel names, else all.
std::variant<std::vector<size_t>, LoadError> chosen(const std::vector<ChannelTrace> &traces,
                                                    const std::string &name, const ReadOptions &options)
{
    std::vector<size_t> picked;
    for (size_t i = 0; i < traces.size(); ++i)
        if (traces[i].wanted)
            picked.push_back(i);
    if (!options.channel)
        return picked;
    if (picked.empty())
        return LoadError{name, 0, "holds no channel " + *options.channel + "; its channels: " + namesOf(traces)};
    if (picked.size() > 1) {
        std::string ids;
        for (size_t i : picked)
            ids += (ids.empty() ? "" : ", ") + channelId(traces[i]);
        return LoadError{name, 0, "holds several channels " + *options.channel + " (" + ids +
                                      "); name one as NET.STA.LOC.CHA"};
    }
    return picked;
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
    auto read = readTraces(input, name, options);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    auto &traces = std::get<std::vector<ChannelTrace>>(read);
    const auto picked = chosen(traces, name, options);
    if (const auto *error = std::get_if<LoadError>(&picked))
        return *error;
    std::vector<ReadResult> channels;
    for (size_t i : std::get<std::vector<size_t>>(picked))
        channels.push_back(takeChannel(std::move(traces[i]), name, traces.size() > 1, moveTick(options)));
    return channels;
}

ReadResult readMiniSeedChannel(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    auto read = readTraces(input, name, options);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    auto &traces = std::get<std::vector<ChannelTrace>>(read);
    const auto picked = chosen(traces, name, options);
    if (const auto *error = std::get_if<LoadError>(&picked))
        return *error;
    size_t one = std::get<std::vector<size_t>>(picked).front();
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
