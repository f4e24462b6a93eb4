#pragma once

#include "record/text/partreader.h"
#include "record/valuescale.h"
#include "record/text/samplescan.h"
#include "session/threads.h"

#include <cstdint>
#include <memory>
#include <vector>

// Where the values stopped, their running sum in file order, 64-bit, the
// largest magnitude among them, and how many values follow the ones asked for.
struct SamplesRead {
    SampleScan scan;
    double sum = 0;
    float largest = 0;
    int64_t extra = 0;
};

// Reads the data section's values into `samples` (which holds entry 0 and
// room for `count` more) until it holds `count` of them (scan.stop Count),
// the data ends or a value is out of range; once it holds them, the values
// after them are counted to the end of the data. `scan` stands at `at` in
// `current`, the part the header ended in; the parts after it come from
// `parts`. With helper threads, the whole lines of the parts ahead are read
// on the helpers (or here, where no helper has started a part yet); this
// thread reads the rest and takes over those values where its own scan
// arrives between two fields, so the values, the lines and the sum come out
// as if one thread had read everything in order. `tick` is called after
// every part and every 10 ms while waiting for a helper.
SamplesRead readSamples(PartReader &parts, std::unique_ptr<Part> current, size_t at,
                        SampleScan scan, int32_t count, std::vector<float> &samples,
                        const ThreadPolicy &threads, const WaitTick &tick);
