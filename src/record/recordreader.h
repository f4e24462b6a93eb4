#pragma once

#include "record/byteinput.h"
#include "record/psnreader.h"

#include <string>
#include <string_view>

// The formats a record may come in, told by its first bytes.
enum class RecordFormat { psnText, psnType4, psnVolume, sac };

// Enough of a file's start to tell its format.
inline constexpr size_t recogniseBytes = 308;

// The format of a file that starts with `head` (its first recogniseBytes
// bytes, or all of a shorter file). A file that is none of the binary
// formats is read as PSN text.
RecordFormat recogniseRecord(std::string_view head);

// Reads a record in whichever format it is. Values become m/s through the
// first sensitivity of options.sensitivity, the table, or the file's own
// header; with none they are taken as they stand.
ReadResult readRecord(ByteInput &input, const std::string &name, const ReadOptions &options = {});

// Reads a record from bytes in memory.
ReadResult parseRecord(std::string_view bytes, const std::string &name, const ReadOptions &options = {});

// Reads the file at `path`. Something that is not a regular file is refused
// without being read.
ReadResult readRecordFile(const std::string &path, const ReadOptions &options = {});
