#pragma once

#include "record/byteinput.h"
#include "record/text/samplescan.h"
#include "session/threads.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
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

// The input in parts of a fixed size, their buffers used again. With read
// ahead, a helper thread reads a few parts ahead of the caller, so that a
// slow disk or the first touch of fresh pages holds up that thread, not the
// caller, who is called back every 10 ms while it waits.
class PartReader {
public:
    PartReader(ByteInput &input, size_t partBytes, bool readAhead = false);
    ~PartReader();
    PartReader(const PartReader &) = delete;
    PartReader &operator=(const PartReader &) = delete;

    std::unique_ptr<Part> next(const std::function<void()> &tick = {});
    void recycle(std::unique_ptr<Part> part);
    // The bytes of the parts next() has given.
    uint64_t bytesTaken() const { return taken_; }
    // Ends the reading ahead; the input may then be asked about again.
    void stop();

private:
    std::unique_ptr<Part> spare();
    void fill(Part &part);
    void readAhead();

    static constexpr size_t partsAhead = 1;
    ByteInput &input_;
    size_t partBytes_;
    bool ended_ = false;
    uint64_t taken_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<Part>> spare_;
    std::deque<std::unique_ptr<Part>> ready_;
    std::exception_ptr failure_;
    bool stopping_ = false;
    bool finished_ = false;        // the helper has read its last part or stopped
    HelperThread reader_;
};
