#pragma once

#include "record/byteinput.h"
#include "record/samplescan.h"
#include "session/threads.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// One read of the input, and what a helper thread made of it.
struct Part {
    std::vector<char> bytes;
    bool last = false;             // nothing follows
    // Whole lines [from, to) of the part, read ahead by a helper with a part
    // scan into `values`; from == to when none were.
    size_t from = 0, to = 0;
    SampleScan scan;
    std::vector<float> values;
    bool done = false;             // the helper has finished
};

// The input in parts of a fixed size, their buffers used again.
class PartReader {
public:
    PartReader(ByteInput &input, size_t partBytes);
    std::unique_ptr<Part> next();
    void recycle(std::unique_ptr<Part> part);
    const ByteInput &input() const { return input_; }

private:
    ByteInput &input_;
    size_t partBytes_;
    bool ended_ = false;
    std::vector<std::unique_ptr<Part>> spare_;
};

// Where the values stopped, and their running sum in file order, 64-bit.
struct SamplesRead {
    SampleScan scan;
    double sum = 0;
};

// Reads the data section's values into `samples` (which holds entry 0 and
// room for `count` more) until it holds `count` of them, the data ends or a
// value is out of range. `scan` stands at `at` in `current`, the part the
// header ended in; the parts after it come from `parts`. With helper
// threads, parts are read ahead and their whole lines read on the helpers;
// this thread reads the rest and takes over each helper's values where its
// own scan arrives between two fields, so the values, the lines and the sum
// come out as if one thread had read everything in order. `tick` is called
// after every part and while waiting for a helper.
SamplesRead readSamples(PartReader &parts, std::unique_ptr<Part> current, size_t at,
                        SampleScan scan, int32_t count, std::vector<float> &samples,
                        const ThreadPolicy &threads, const std::function<void()> &tick);
