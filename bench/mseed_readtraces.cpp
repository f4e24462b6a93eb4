// The miniSEED yardstick: libmseed's own reading of a file into its traces,
// samples decoded, as its programs do it:
//   mseed_readtraces FILE
// Prints the number of traces and of samples.
#include <libmseed.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mseed_readtraces FILE\n");
        return 2;
    }
    MSTraceGroup *group = nullptr;
    // Record length detected, default tolerances, any quality, data unpacked.
    if (ms_readtraces(&group, argv[1], 0, -1.0, -1.0, 0, 1, 1, 0) != MS_NOERROR) {
        std::fprintf(stderr, "mseed_readtraces: cannot read %s\n", argv[1]);
        return 1;
    }
    long long samples = 0;
    for (MSTrace *trace = group->traces; trace; trace = trace->next)
        samples += trace->numsamples;
    std::printf("%d traces, %lld samples\n", group->numtraces, samples);
    mst_freegroup(&group);
    return 0;
}
