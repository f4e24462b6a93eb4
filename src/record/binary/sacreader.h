#pragma once

#include "record/byteinput.h"
#include "record/text/psnreader.h"

#include <string>

// Reads a SAC binary file in either byte order (told by the header version
// 6 at byte 304): a 632-byte header, then the samples as 32-bit floats.
// Only evenly sampled time series are read; velocity in nm/s becomes m/s,
// an unknown quantity is taken as counts.
ReadResult readSac(ByteInput &input, const std::string &name, const ReadOptions &options);
