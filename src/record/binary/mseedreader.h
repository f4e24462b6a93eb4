#pragma once

#include "record/recordreader.h"

#include <string>
#include <string_view>

// Whether `head`, a file's first bytes, starts with the fixed header of a
// miniSEED data record: a sequence number of digits, blanks or NULs, a
// quality indicator D, R, Q or M, a blank or NUL, and a start time whose
// hour, minute and second can be.
bool recognisesMiniSeed(std::string_view head);

// A miniSEED file (version 2, through libmseed), read whole: its channels
// in the order of their first records, each in its continuous pieces, each
// read or refused on its own; only the one options.channel names when
// given. Records of text are passed over. A file whose records cannot be
// read one after the other (cut short, of an impossible length, not records
// at all) is refused whole. Memory holds the values and one record at a time.
OpenResult openMiniSeed(ByteInput &input, const std::string &name, const ReadOptions &options);
