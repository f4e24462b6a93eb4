#pragma once

#include "record/byteinput.h"
#include "record/text/psnreader.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Whether `head`, a file's first bytes, starts with the fixed header of a
// miniSEED data record: a sequence number of digits, blanks or NULs, a
// quality indicator D, R, Q or M, a blank or NUL, and a start time whose
// hour, minute and second can be.
bool startsMiniSeed(std::string_view head);

// Every channel of a miniSEED file (version 2, through libmseed), in the
// order of their first records, each read or refused on its own: only the
// one options.channel names when given. Records of text are passed over.
// A file whose records cannot be read one after the other (cut short, of
// an impossible length, not records at all) is refused whole. Memory
// holds the values and one record at a time.
std::variant<std::vector<ReadResult>, LoadError> readMiniSeed(ByteInput &input, const std::string &name,
                                                               const ReadOptions &options);

// One channel: the one options.channel names, the file's only one, or the
// one options.chooseChannel picks.
ReadResult readMiniSeedChannel(ByteInput &input, const std::string &name, const ReadOptions &options);
