#pragma once

#include <string>
#include <string_view>

// Field texts for the three table formats.

// TSV: TAB, CR and LF as \t, \r and \n and a backslash as \\, so that a row
// always keeps its fields and lines; any other byte as it is.
std::string tsvField(std::string_view text);

// CSV: the text in double quotes, its quotes doubled, when it holds a comma,
// a quote, CR or LF; else as it is.
std::string csvField(std::string_view text);

// JSON: a quoted string. Quote, backslash and control characters are
// escaped; bytes that are not UTF-8 become U+FFFD, since JSON text must be
// UTF-8.
std::string jsonString(std::string_view text);

// JSON: a number text as the report prints it (" 3000", "12.", "0.5") as a
// JSON number ("3000", "12", "0.5"); "null" when it is not a number.
std::string jsonNumber(std::string_view text);
