#pragma once

#include "record/byteinput.h"
#include "record/text/psnreader.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The formats a record may come in, told by its first bytes.
enum class RecordFormat { psnText, psnType4, psnVolume, sac, miniSeed };

// Enough of a file's start to tell its format.
inline constexpr size_t recogniseBytes = 308;

// The format of a file that starts with `head` (its first recogniseBytes
// bytes, or all of a shorter file). A file that is none of the binary
// formats is read as PSN text.
RecordFormat recogniseRecord(std::string_view head);

// Reads a record in whichever format it is. Values become m/s through the
// first sensitivity of options.sensitivity, the table, or the file's own
// header; with none they are taken as they stand. Of a file of several
// channels, one is read (see ReadOptions::channel and chooseChannel).
ReadResult readRecord(ByteInput &input, const std::string &name, const ReadOptions &options = {});

// Every channel of the record, in file order, each read or refused on its
// own: one for the formats that hold one, every channel of a miniSEED file
// (the one options.channel names, when given). An error when the file as a
// whole cannot be read.
using RecordsResult = std::variant<std::vector<ReadResult>, LoadError>;
RecordsResult readRecords(ByteInput &input, const std::string &name, const ReadOptions &options = {});

// One record, or its error, as the records of a file. Moved in, never
// copied: a braced list would copy the samples.
RecordsResult asRecords(ReadResult read);

// Reads a record from bytes in memory.
ReadResult parseRecord(std::string_view bytes, const std::string &name, const ReadOptions &options = {});

// Reads the file at `path`. Something that is not a regular file is refused
// without being read.
ReadResult readRecordFile(const std::string &path, const ReadOptions &options = {});
