#pragma once

#include "record/utctime.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The files of a monitoring report: those named, and of each folder named
// every regular file in it and its subfolders whose first bytes a reader
// recognises (a file of PSN text by a header line of its own). Links are
// followed only to files inside the folder; links to folders are not
// followed. A folder's files come in the order of their paths, each once.
struct FoundFiles {
    std::vector<std::string> files;   // a folder's as FOLDER/NAME
    // Names that could not be walked ("FOLDER: permission denied"), and why.
    std::vector<std::pair<std::string, std::string>> problems;
};
FoundFiles findEventFiles(const std::vector<std::string> &given);

// Whether a file starting with `head` is a record a reader recognises by
// its content, rather than any file the PSN text reader would try.
bool recognisedRecord(std::string_view head);

// One record of a file, placed among the others by its start time.
struct EventKey {
    std::optional<UtcTime> start;
    std::string file;
    std::size_t entry = 0;   // of the file's records
};

// Events with a start time first, in its order, then the others by file
// name; records of one file in file order.
bool eventBefore(const EventKey &a, const EventKey &b);
