#pragma once

#include "ctext.h"
#include "record/recordreader.h"

#include <string>
#include <variant>
#include <vector>

// Joins lines, each followed by `end`.
inline std::string lines(const std::vector<std::string> &all, const std::string &end = "\r\n")
{
    std::string text;
    for (const auto &line : all)
        text += line + end;
    return text;
}

// The header of a record of `count` samples at 100 per second.
inline std::string header(int count, const std::string &extra = "")
{
    return lines({"Number of Samples: " + std::to_string(count), "SPS: 100"}) + extra + "Data:\r\n";
}

// Of a file that holds no PSN header line and no "Data:" line.
inline const std::string notARecord =
    "is not a record Sismavue reads: it reads PSN text event files (a header with \"Number of Samples\", "
    "\"SPS:\" and \"Data:\" lines, then the values), PSN Type 4 event files, SAC files and miniSEED files";

inline std::string describe(const ReadResult &result)
{
    auto *error = std::get_if<LoadError>(&result);
    return error ? error->message() : "a record";
}
