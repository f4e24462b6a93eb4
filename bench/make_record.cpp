// Writes the deterministic records the benchmarks run on:
//   make_record FILE SAMPLES [SEED [RATE]]      (RATE samples/s, 100 by default)
// as miniSEED where FILE ends in .mseed, else as PSN text.
#include "records.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: make_record FILE SAMPLES [SEED [RATE]]\n");
        return 2;
    }
    const long long samples = std::atoll(argv[2]);
    const unsigned long long seed = argc >= 4 ? std::strtoull(argv[3], nullptr, 10) : 1;
    const long rate = argc == 5 ? std::atol(argv[4]) : 100;
    if (samples < 1 || samples > 2147483647) {
        std::fprintf(stderr, "make_record: SAMPLES must be 1 to 2147483647\n");
        return 2;
    }
    if (rate < 12 || rate > 1000000) {
        std::fprintf(stderr, "make_record: RATE must be 12 to 1000000\n");
        return 2;
    }
    const std::string_view file = argv[1];
    const bool mseed = file.ends_with(".mseed");
    if (!(mseed ? writeMiniSeedRecord : writeRecord)(argv[1], samples, static_cast<int32_t>(rate), seed)) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
