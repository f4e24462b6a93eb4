#pragma once

#include <cstddef>
#include <memory>
#include <string>

// The parse floors: the least any reader of a record has to do. They find
// the line after "Data:" and convert every value with std::from_chars into
// a float array; no checks, no header fields, no sums.
struct ParsedValues {
    std::unique_ptr<float[]> values;
    size_t count = 0;   // 0 also when the file cannot be read
};

// Maps the whole file.
ParsedValues parseFloor(const std::string &path);

// One thread reads the file with read() into a reusable 4 MiB buffer.
ParsedValues streamingParseFloor(const std::string &path);
