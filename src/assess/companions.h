#pragma once

// The other components of a record's station, found by what files say of
// their records before any value is read: in the record's own file (a
// miniSEED file of several channels) or among the files of its folder.

#include "assess/componentsets.h"
#include "record/recordreader.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// What the grouping of components reads of an entry.
ChannelInfo channelInfo(const RecordEntry &entry);

// A record a file lists: the file, the entry's index among those
// openRecord lists, and the entry.
struct FileEntry {
    std::string path;
    std::size_t index = 0;
    RecordEntry entry;
};

// The entries of the file at `path`, opened with `options`. A file of one
// record is read no further than its header; a miniSEED file is read whole.
std::variant<std::vector<RecordEntry>, LoadError> fileEntries(const std::string &path, const ReadOptions &options);

// Whether a file that starts with `head` (its first recogniseBytes bytes)
// may hold a companion of `record`, told without opening it: the first
// record of a miniSEED file names the station, location, band and
// instrument of its file; bytes that no format recognises and that hold a
// NUL are no text record either.
bool mayHoldCompanion(std::string_view head, const ChannelInfo &record);

// The entries of the files at `paths` that may join `record` in a set
// (fitTogether) with another orientation, in the order of the paths.
// Files that cannot be opened, or that mayHoldCompanion passes over, give
// none.
std::vector<FileEntry> companionEntries(std::span<const std::string> paths, const ChannelInfo &record,
                                        const ReadOptions &options);

// The regular files in the folder of `path` but `path` itself, sorted by
// name, each as the folder's part of `path` followed by its name; none
// when the folder cannot be listed.
std::vector<std::string> folderFiles(const std::string &path);
