#pragma once

#include "record/recordreader.h"

#include <string>
#include <string_view>

// A SAC binary file in either byte order (told by the header version 6 at
// byte 304): a 632-byte header, then the samples as 32-bit floats. Only
// evenly sampled time series are read; velocity in nm/s becomes m/s, an
// unknown quantity is taken as counts.
bool recognisesSac(std::string_view head);
OpenResult openSac(ByteInput &input, const std::string &name, const ReadOptions &options);
