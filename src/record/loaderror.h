#pragma once

#include <string>
#include <system_error>

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

// The system's words for an errno value ("No such file or directory").
inline std::string systemReason(int error)
{
    return std::generic_category().message(error);
}
