#pragma once

#include <string>

// What a load failure tells the person: the file, the line where it applies
// (0 when none does) and the reason in plain words.
struct LoadError {
    std::string file;
    long line = 0;
    std::string reason;

    // "FILE: line N: reason", or "FILE: reason" without a line.
    std::string message() const
    {
        return file + ": " + (line > 0 ? "line " + std::to_string(line) + ": " : "") + reason;
    }
};

// The system's words for `error` (an errno value), in English whatever the
// process locale: "No such file or directory". (Defined with the byte input.)
std::string systemReason(int error);
