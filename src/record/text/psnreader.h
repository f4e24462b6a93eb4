#pragma once

#include "record/recordreader.h"

#include <string>
#include <string_view>

// The PSN text event file: header lines up to a line that starts with
// "Data:", then "Number of Samples" values as text. It is what no other
// format recognises, so it recognises any bytes.
bool recognisesPsnText(std::string_view head);

// Reads the header; a header count whose arrays would not fit in the memory
// available, or, where the size is known, larger than the bytes after the
// "Data:" line, is refused before anything is allocated. From a stream of
// unknown size the memory taken grows only with the values read. Values
// are m/s unless a sensitivity applies to the station and component.
OpenResult openPsnText(ByteInput &input, const std::string &name, const ReadOptions &options);
