// Writes the miniSEED record the benchmarks run on, packed by libmseed:
//   make_mseed_record FILE SAMPLES [SEED]
// One channel at 100 samples/s of Steim-2 records of 512 bytes, its counts
// the values of the text records in nm/s.
#include "records.h"

#include <libmseed.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void append(char *record, int length, void *file)
{
    std::fwrite(record, 1, static_cast<size_t>(length), static_cast<FILE *>(file));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: make_mseed_record FILE SAMPLES [SEED]\n");
        return 2;
    }
    const long long samples = std::atoll(argv[2]);
    const unsigned long long seed = argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 1;
    FILE *file = std::fopen(argv[1], "wb");
    if (samples < 1 || !file) {
        std::perror(argv[1]);
        return 1;
    }
    constexpr int rate = 100;
    RecordValues values(rate, seed);
    MSRecord *msr = msr_init(nullptr);
    std::strcpy(msr->network, "XX");
    std::strcpy(msr->station, "BENCH");
    std::strcpy(msr->channel, "HHZ");
    msr->dataquality = 'D';
    msr->samprate = rate;
    msr->encoding = DE_STEIM2;
    msr->byteorder = 1;
    msr->reclen = 512;
    msr->sampletype = 'i';
    // Packed a million samples at a time, each time from where the last
    // ended, so that the records follow each other without a gap.
    std::vector<int32_t> counts;
    const hptime_t start = ms_time2hptime(2026, 73, 0, 0, 0, 0);
    for (long long done = 0; done < samples;) {
        counts.clear();
        for (; done < samples && counts.size() < 1000000; ++done)
            counts.push_back(static_cast<int32_t>(std::lround(values.next() * 1e9)));
        msr->starttime = start + (done - static_cast<long long>(counts.size())) * (HPTMODULUS / rate);
        msr->datasamples = counts.data();
        msr->numsamples = static_cast<int64_t>(counts.size());
        int64_t packed = 0;
        if (msr_pack(msr, append, file, &packed, 1, 0) < 0) {
            std::fprintf(stderr, "make_mseed_record: cannot pack the records\n");
            return 1;
        }
    }
    msr->datasamples = nullptr;   // ours, not the library's to free
    msr_free(&msr);
    return std::fclose(file) == 0 ? 0 : 1;
}
