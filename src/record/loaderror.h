#pragma once

#include <string>

// What a load failure tells the person: the file, the line where it applies
// (0 when none does) and the reason in plain words.
struct LoadError {
    std::string file;
    long line = 0;
    std::string reason;
    // The person chose to read nothing (see ReadOptions::chooseChannel):
    // there is nothing to tell.
    bool cancelled = false;

    // "FILE: line N: reason", or "FILE: reason" without a line.
    std::string message() const
    {
        return file + ": " + (line > 0 ? "line " + std::to_string(line) + ": " : "") + reason;
    }
};
