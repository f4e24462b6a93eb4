#include "record/binary/mseedreader.h"

#include "record/binary/mseedchannels.h"
#include "record/binary/mseedlibrary.h"
#include "record/binary/recordbuffer.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr size_t fixedHeaderBytes = 48;

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
        const RecordSamples samples{UtcTime(std::chrono::microseconds(record->starttime)), record->samprate,
                                    record->datasamples, record->numsamples, record->sampletype, buffer.offset()};
        addSamples(trace, samples, options.sensitivity);
    }
    if (trace.problem)
        trace.pieces.clear();
}

// The codes a record's fixed header gives, blanks left out, as the library
// gives them.
MSRecord codesOf(const char *header)
{
    MSRecord r{};
    const auto copy = [&](char *to, size_t at, size_t length) {
        for (size_t i = 0; i < length; ++i)
            if (header[at + i] != ' ')
                *to++ = header[at + i];
        *to = '\0';
    };
    copy(r.station, 8, 5);
    copy(r.location, 13, 2);
    copy(r.channel, 15, 3);
    copy(r.network, 18, 2);
    return r;
}

// The file ends inside the record at buffer.offset(), which is left out.
// The channel its fixed header names keeps its records before it, with a
// warning, as of a damaged last record; where the header itself is cut,
// every channel does. An error when no channel holds samples, or the file
// was cut while it was read.
std::optional<LoadError> endsInside(std::vector<ChannelTrace> &traces, RecordBuffer &buffer,
                                    const ByteInput &input, const std::string &name, const ReadOptions &options)
{
    const std::string reason = "the file ends inside the record at byte " + std::to_string(buffer.offset());
    const bool anyRead = std::any_of(traces.begin(), traces.end(),
                                     [](const ChannelTrace &t) { return t.valueCount > 0 && !t.problem; });
    if (!anyRead || input.cutShort())
        return endedEarly(input, name, reason);
    if (buffer.available() < fixedHeaderBytes) {
        for (ChannelTrace &trace : traces)
            if (trace.wanted && !trace.problem && !trace.damaged)
                trace.damaged = reason;
        return std::nullopt;
    }
    ChannelTrace &trace = traceOf(traces, codesOf(buffer.data()), options);
    if (!trace.wanted || trace.problem)
        return std::nullopt;
    if (trace.damaged) {
        // A record lost before this one too.
        trace.problem = trace.damaged;
        trace.pieces.clear();
    }
    trace.damaged = reason;
    return std::nullopt;
}

// Reads the file's records one after the other into their channels.
std::variant<std::vector<ChannelTrace>, LoadError> readTraces(ByteInput &input, const std::string &name,
                                                              const ReadOptions &options)
{
    RecordBuffer buffer(input, options);
    RecordPtr record;
    std::vector<ChannelTrace> traces;
    while (buffer.fill(libraryReach) > 0) {
        const std::string where = "the record at byte " + std::to_string(buffer.offset());
        bool whole = buffer.available() >= fixedHeaderBytes;
        if (whole && !recognisesMiniSeed(std::string_view(buffer.data(), buffer.available())))
            return LoadError{name, 0, "byte " + std::to_string(buffer.offset()) + " does not start a miniSEED record"};
        int code = 0;
        // A positive code is how many more bytes the record may need: the
        // whole smallest record while its length is not yet in sight.
        while (whole && (code = parseRecordAt(record, buffer.data(), buffer.available(), 0, false)) > 0) {
            const size_t had = buffer.available();
            // Only a record without its length (blockette 1000) needs more.
            if (had >= MAXRECLEN)
                return LoadError{name, 0, where + " has no blockette 1000, which gives a record's length"};
            whole = buffer.fill(std::min<size_t>(had + static_cast<size_t>(code), MAXRECLEN)) > had;
        }
        if (!whole) {
            if (auto error = endsInside(traces, buffer, input, name, options))
                return std::move(*error);
            break;
        }
        if (code == MS_OUTOFRANGE)
            return LoadError{name, 0, where + " announces a length that does not fit: " + libraryReason(code)};
        if (code < 0)
            return LoadError{name, 0, where + " cannot be read: " + libraryReason(code)};
        if (!record->Blkt1000)
            return LoadError{name, 0, where + " has no blockette 1000, which gives a record's length"};
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
    for (ChannelTrace &trace : traces)
        settleDamage(trace);
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

// The channels to list: the one options.channel names, else all.
std::variant<std::vector<ChannelTrace>, LoadError> pickChannels(std::vector<ChannelTrace> traces,
                                                                const std::string &name,
                                                                const ReadOptions &options)
{
    if (!options.channel)
        return traces;
    std::vector<ChannelTrace> picked;
    for (ChannelTrace &trace : traces)
        if (trace.wanted)
            picked.push_back(std::move(trace));
    if (picked.empty())
        return LoadError{name, 0, "holds no channel " + *options.channel + "; its channels: " + namesOf(traces)};
    if (picked.size() > 1) {
        std::string ids;
        for (const ChannelTrace &trace : picked)
            ids += (ids.empty() ? "" : ", ") + channelId(trace);
        return LoadError{name, 0, "holds several channels " + *options.channel + " (" + ids +
                                      "); name one as NET.STA.LOC.CHA"};
    }
    return picked;
}

// The file's channels, read whole: an entry per piece, whose values are
// moved out when it is read.
struct MiniSeedFile {
    std::string name;
    ReadOptions options;
    std::vector<ChannelTrace> traces;
    std::vector<std::pair<size_t, size_t>> at;   // of each entry: its channel and piece
    std::vector<bool> taken;

    ReadResult read(size_t entry, bool others);
};

ReadResult MiniSeedFile::read(size_t entry, bool others)
{
    const auto [c, p] = at[entry];
    ChannelTrace &trace = traces[c];
    if (trace.problem)
        return LoadError{name, 0, "channel " + trace.name + ": " + *trace.problem};
    if (taken[entry])
        return LoadError{name, 0, "channel " + trace.name + ": its record has already been read"};
    taken[entry] = true;
    // The others' values go before this one's are moved.
    if (!others)
        for (size_t e = 0; e < at.size(); ++e) {
            ChannelTrace &other = traces[at[e].first];
            if (!taken[e] && !other.problem)
                other.pieces[at[e].second].values.clear();
            taken[e] = true;
        }
    return takePiece(trace, p, [this] { reportProgress(options.progress, 1); });
}

} // namespace

bool recognisesMiniSeed(std::string_view head)
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

OpenResult openMiniSeed(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    auto read = readTraces(input, name, options);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    const bool several = std::get<std::vector<ChannelTrace>>(read).size() > 1;
    auto picked = pickChannels(std::get<std::vector<ChannelTrace>>(std::move(read)), name, options);
    if (auto *error = std::get_if<LoadError>(&picked))
        return std::move(*error);
    auto file = std::make_shared<MiniSeedFile>();
    file->name = name;
    file->options = options;
    file->traces = std::get<std::vector<ChannelTrace>>(std::move(picked));
    std::vector<RecordEntry> entries;
    for (size_t c = 0; c < file->traces.size(); ++c)
        for (RecordEntry &entry : traceEntries(file->traces[c], several)) {
            file->at.emplace_back(c, static_cast<size_t>(entry.piece));
            entries.push_back(std::move(entry));
        }
    file->taken.assign(entries.size(), false);
    return OpenedRecord(std::move(entries), [file](size_t entry, bool others) { return file->read(entry, others); });
}
