#pragma once

#include "record/recordreader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// How far past a record's start the library may read to find its length,
// whatever bytes it is told are there: it reads blockette headers where the
// record's 16-bit offsets put them. Each record is parsed with this much of
// the input in memory (or all that is left), and zeros after the input's
// end, so that what the library reads is always the same bytes of the file,
// in whatever parts it came.
inline constexpr size_t libraryReach = 65536 + 64;

// The input's bytes from the current record on, read in parts, with
// libraryReach zeros after the last byte read. Holds the input and the
// options by reference: they must outlive it.
class RecordBuffer {
public:
    RecordBuffer(ByteInput &input, const ReadOptions &options)
        : input_(input), options_(options), bytes_(libraryReach)
    {
    }

    // At least `count` bytes from the current record on, unless the input
    // ends first; returns how many there are.
    size_t fill(size_t count);
    char *data() { return bytes_.data() + begin_; }
    size_t available() const { return end_ - begin_; }
    uint64_t offset() const { return offset_; }
    void advance(size_t count)
    {
        begin_ += count;
        offset_ += count;
    }
    void tick() const;

private:
    size_t room() const { return bytes_.size() - libraryReach - end_; }

    ByteInput &input_;
    const ReadOptions &options_;
    std::vector<char> bytes_;
    size_t begin_ = 0, end_ = 0;
    uint64_t offset_ = 0;   // of bytes_[begin_] in the input
    bool ended_ = false;
};
