#pragma once

#include "record/recordreader.h"

#include <string>
#include <string_view>

// A PSN Type 4 event file (little-endian): a 154-byte header starting with
// "PSNTYPE4", blocks of variable header, the samples as 16- or 32-bit
// integers or 32- or 64-bit floats, and a CRC-16 of everything before it
// unless flag bit 0 says there is none. A velocity sensor's sensitivity is
// in cm/s per count: m/s = count * sensitivity / 100.
bool recognisesPsnType4(std::string_view head);
OpenResult openPsnType4(ByteInput &input, const std::string &name, const ReadOptions &options);
