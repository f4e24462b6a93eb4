#pragma once

#include <cstddef>
#include <memory>
#include <string>

// The parse floor: the least any reader of a record has to do. It maps the
// file, finds the line after "Data:" and converts every value with
// std::from_chars into a float array; no checks, no header fields, no sums.
struct ParsedValues {
    std::unique_ptr<float[]> values;
    size_t count = 0;   // 0 also when the file cannot be mapped
};
ParsedValues parseFloor(const std::string &path);
