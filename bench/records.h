#pragma once

#include <cstdint>
#include <string>

// The values of the records below, one sample after another, in m/s: background
// noise of about 4 um/s with a passing vehicle (11.3 Hz, up to 0.5 mm/s)
// during the first 30 s of every ten minutes; `seed` picks the noise.
class RecordValues {
public:
    RecordValues(int32_t rate, uint64_t seed) : rate_(rate), state_(seed) {}
    double next();

private:
    int32_t rate_;
    uint64_t state_;
    int64_t i_ = 0;
};

// Writes a deterministic PSN text event file of `count` samples at `rate`
// samples per second: a short header, then one value per line like
// "-1.234567E-05", lines ended by CR LF, the values of RecordValues. Returns
// false when the file cannot be written.
bool writeRecord(const std::string &path, int64_t count, int32_t rate, uint64_t seed);

// Writes the same values as miniSEED, one channel of Steim-2 records of 512
// bytes, the values as counts of nm/s.
bool writeMiniSeedRecord(const std::string &path, int64_t count, int32_t rate, uint64_t seed);

// The record a benchmark program works on, chosen by its own options, which
// are taken out of argv before the benchmark library sees them:
//   --record FILE  an existing record
//   --samples N    a record of N samples at 100 samples/s, written into a
//                  fresh temporary folder that is removed at exit
//                  (1,000,000 when neither option is given)
// Exits with a message on bad options or when the record cannot be written.
std::string benchRecord(int &argc, char **argv);
