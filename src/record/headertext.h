#pragma once

#include <string>
#include <string_view>

// A header text as UTF-8: kept as it is when it already is valid UTF-8,
// otherwise read as the Western Windows code page in which most recorders
// write (bytes it leaves unassigned keep their Latin-1 meaning).
std::string headerText(std::string_view bytes);
