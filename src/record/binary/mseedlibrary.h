#pragma once

#include <libmseed.h>

#include <cstddef>
#include <memory>
#include <string>

// libmseed as the miniSEED reader uses it. Its messages never reach the
// terminal: they are kept for the reader, which says what went wrong itself
// and adds the library's words where they help.

struct FreeRecord {
    void operator()(MSRecord *record) const { msr_free(&record); }
};
using RecordPtr = std::unique_ptr<MSRecord, FreeRecord>;

// Parses the record at `bytes`, of which `available` are there; `length` 0
// finds the record's length from its bytes. With `samples` also decodes
// them. Returns msr_parse's code: 0, more bytes needed when positive, an
// error when negative (the library then has freed the record).
int parseRecordAt(RecordPtr &record, char *bytes, size_t available, int length, bool samples);

// Whether the library said anything during the last parse on this thread.
bool librarySpoke();

// What it said, without the function and stream names it puts first; its
// text for `code` when it said nothing.
std::string libraryReason(int code);
