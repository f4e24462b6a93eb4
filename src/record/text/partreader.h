#pragma once

#include "record/byteinput.h"
#include "record/text/samplescan.h"
#include "session/threads.h"

#include <cstdint>
#include <memory>
#include <vector>

// One read of the input, and what a scan made of its whole lines.
struct Part {
    std::vector<char> bytes;
    bool last = false;             // nothing follows
    // Whole lines [from, to) of the part, to be scanned on their own into
    // `values`; from == to when they are not.
    size_t from = 0, to = 0;
    SampleScan scan;
    std::vector<float> values;
};

// The input in parts of a fixed size, their buffers used again. With read
// ahead, a helper reads the next part while the caller works on this one,
// so that a slow disk or the first touch of fresh pages holds up the
// helper, not the caller, who is called back every 10 ms while it waits.
// Without it the input is read only when the caller asks, as a pipe must
// be, so that a writer that stops never holds up a refusal. One thread, the
// caller, uses a PartReader.
class PartReader {
public:
    PartReader(ByteInput &input, size_t partBytes, bool readAhead = false);

    // The next part; after the last one, an empty last part.
    std::unique_ptr<Part> next(const WaitTick &tick = {});
    void recycle(std::unique_ptr<Part> part);
    // The bytes of the parts next() has given.
    uint64_t bytesTaken() const { return taken_; }
    // Ends the reading ahead; the input may then be asked about again.
    void stop() { filler_.stop(); }

private:
    std::unique_ptr<Part> spare();
    void fill(Part &part);

    ByteInput &input_;             // read by fill() alone, on whichever thread works it
    const size_t partBytes_;
    bool ended_ = false;           // fill()'s: the input gave its last byte
    uint64_t taken_ = 0;
    std::vector<std::unique_ptr<Part>> spare_;
    FollowingStage<std::unique_ptr<Part>> filler_;   // last: its helper uses what is above
};
