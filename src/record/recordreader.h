#pragma once

#include "record/byteinput.h"
#include "record/record.h"
#include "record/valuescale.h"
#include "session/progress.h"
#include "session/threads.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Reading a record is two calls: openRecord reads what the file says about
// its records and lists them; OpenedRecord::read then reads the values of
// the one chosen. A window asks the person between them. Both take the
// input as it comes, so that a stream (a pipe, standard input) is read once:
// a file of one record holds its header before its values, which the second
// call reads on; a file of several channels (miniSEED) is read whole by the
// first, which keeps the values of every channel it may be asked for.

struct ReadOptions {
    ThreadPolicy threads = defaultThreads();
    // Where the sensitivity of a record of counts comes from.
    SensitivityChoice sensitivity;
    // Of a file of several channels (miniSEED), the one to read: its
    // channel code ("EHZ"), or NET.STA.LOC.CHA where the code is not enough.
    // The others are passed over undecoded.
    std::optional<std::string> channel;
    // The fraction of the input read, on the thread that opens or reads:
    // after every part (threads.readPartBytes at most) and every 10 ms while
    // waiting for a helper, by the bytes read (by the values read when the
    // size is unknown).
    Progress progress;
};

// One record a file holds: a channel, or a continuous piece of one. A
// miniSEED channel with a gap, an overlap or a change of rate is read as
// its pieces, each with its own start time; nothing is made up for a gap.
struct RecordEntry {
    RecordInfo info;
    int64_t sampleCount = 0;   // announced in the header, or decoded (miniSEED)
    // Of a file of several channels (miniSEED), what messages and choices
    // call the channel: its code ("EHZ"), or NET.STA.LOC.CHA where another
    // channel has the same code. Empty for a file of one channel.
    std::string channelName;
    int piece = 0, pieces = 1;   // this piece of the channel, from 0, of how many
    // Why the channel cannot be read; read() then gives it as the error.
    std::optional<std::string> problem;
};

// What tells the entry from the file's others: "EHZ", "EHZ piece 2 of 3",
// "piece 2 of 3" (of a file of one channel), or "" for the one record of a
// file of one channel in one piece.
std::string entryLabel(const RecordEntry &entry);

// What a file name made for the entry carries, so that those of a file's
// entries differ: its channel, with the piece's number when the channel is
// in pieces ("EHZ", "EHZ-2"); "" where entryLabel is.
std::string entryTag(const RecordEntry &entry);

// The entry to offer first when the person is asked to choose: the longest,
// of several as long the first whose channel code ends in Z (the vertical
// component), else the first of them.
size_t offeredEntry(const std::vector<RecordEntry> &entries);

// A record file whose header has been read. Holds the input by reference:
// it must outlive this. One thread at a time opens and reads; the reader's
// own helpers (a read-ahead, a parse pool) end before a call returns or,
// reading ahead, when this goes.
class OpenedRecord {
public:
    // Reads an entry; `others`: the other entries may still be read.
    using Reader = std::function<ReadResult(size_t entry, bool others)>;
    OpenedRecord(std::vector<RecordEntry> entries, Reader reader)
        : entries_(std::move(entries)), read_(std::move(reader))
    {
    }

    // In file order: one for the formats of one channel; every channel of a
    // miniSEED file (the one ReadOptions::channel names, when given), each
    // in its pieces in time order.
    const std::vector<RecordEntry> &entries() const { return entries_; }

    // The values of entries()[entry]. Each entry is read at most once; of a
    // miniSEED file the others stay readable, in any order.
    ReadResult read(size_t entry) { return read_(entry, true); }
    // The same, the others' values given back first, so that memory never
    // holds them beside this one's: they can no longer be read.
    ReadResult readOnly(size_t entry) { return read_(entry, false); }

private:
    std::vector<RecordEntry> entries_;
    Reader read_;   // the format reader's state
};

using OpenResult = std::variant<OpenedRecord, LoadError>;

// A format a record may come in, told by its first bytes.
struct RecordFormat {
    const char *name;
    // Whether a file starting with `head` (its first recogniseBytes bytes,
    // or all of a shorter file) is in this format.
    bool (*recognises)(std::string_view head);
    OpenResult (*open)(ByteInput &input, const std::string &name, const ReadOptions &options);
};

// Enough of a file's start to tell its format.
inline constexpr size_t recogniseBytes = 308;

// The formats in the order they are asked; the last, PSN text, takes
// whatever the others do not recognise.
const std::vector<RecordFormat> &recordFormats();
const RecordFormat &recogniseRecord(std::string_view head);

// Opens a record in whichever format it is, from where `input` stands; `name`
// names it in errors. Values become m/s through the first sensitivity of
// options.sensitivity, the table, or the file's own header; with none they
// are taken as they stand.
OpenResult openRecord(ByteInput &input, const std::string &name, const ReadOptions &options = {});

// Opens and reads a file's one record; a file of several is refused, naming them.
ReadResult readRecord(ByteInput &input, const std::string &name, const ReadOptions &options = {});

// Reads a record from bytes in memory.
ReadResult parseRecord(std::string_view bytes, const std::string &name, const ReadOptions &options = {});

// Reads the file at `path`. Something that is not a regular file is refused
// without being read.
ReadResult readRecordFile(const std::string &path, const ReadOptions &options = {});
