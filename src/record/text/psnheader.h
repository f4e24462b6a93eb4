#pragma once

#include "record/loaderror.h"
#include "record/utctime.h"
#include "record/valuescale.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The header of a PSN text event file: the lines up to and including the
// first one that starts with "Data:".
struct PsnHeader {
    int32_t sampleCount = 0, sampleRate = 0;
    long countLine = 0, rateLine = 0;   // lines they were read from; 0 when absent
    std::string stationCode, componentName;   // UTF-8
    // "Start Time: YYYY/MM/DD HH:MM:SS.fff", which recorders write; none
    // when absent or not such a time.
    std::optional<UtcTime> startTime;
    // "Units:" mm/s, µm/s or nm/s: what turns the values into m/s. None for
    // m/s, for counts (a sensitivity's business) and without the line.
    std::optional<ValueScale> unitScale;
    bool counts = false;   // "Units: counts": values as they stand are no m/s
    uint64_t dataStart = 0;   // bytes before the data: the header with its last line end
    long dataLine = 0;        // line on which the data starts
    char lastByte = 0;        // the header's last byte
};

// The time of a "Start Time:" line's value: "2008/01/01 00:00:00.435",
// blanks around it, the fraction of a second (up to 6 digits) optional.
std::optional<UtcTime> psnStartTime(std::string_view value);

// Reads the header line by line from the input as it comes, in pieces of
// any size. Each line is compared with the keys from its first column; a
// key's value is the rest of the line from a fixed position on. Only the
// lines that carry a value are kept whole, so a long comment costs nothing.
class HeaderReader {
public:
    explicit HeaderReader(std::string fileName) : fileName_(std::move(fileName)) {}

    // Reads from the next piece [p, end) of the input; `last` when nothing
    // follows it. Returns where it stopped: after the "Data:" line with its
    // line end (done()), at a line that is in error (error()), or at end.
    const char *read(const char *p, const char *end, bool last);

    bool done() const { return done_; }
    const std::optional<LoadError> &error() const { return error_; }
    PsnHeader &header() { return header_; }

private:
    void append(const char *p, const char *end);
    void endLine();

    std::string fileName_;
    PsnHeader header_;
    std::optional<LoadError> error_;
    std::string current_;       // the line so far, as far as it is kept
    bool keep_ = true;          // the line may carry a value: keep all of it
    bool inLine_ = false;       // a line has started and not ended
    bool pendingCr_ = false;    // a line ended in CR; an LF next belongs to it
    bool dataSeen_ = false;     // the "Data:" line has ended
    bool keySeen_ = false;      // a line started with a key this reader knows
    bool done_ = false;
    long line_ = 0;             // lines started
    uint64_t offset_ = 0;       // bytes read
};

// The header rules: a sample count of at least 1 whose arrays fit in
// `memoryAvailable` bytes (two floats per sample) and, when `dataBytes` (the
// bytes after the "Data:" line) is known, no larger than it, since every
// value takes at least one byte; a sampling rate the weighting can work at.
std::optional<LoadError> checkHeader(const PsnHeader &header, std::optional<uint64_t> dataBytes,
                                     uint64_t memoryAvailable, const std::string &fileName);
