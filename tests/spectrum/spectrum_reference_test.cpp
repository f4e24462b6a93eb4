// The spectrum must stay the straightforward one to the last bit, however it
// is computed: compared byte for byte with the fixed reference in bench/.
#include "reference_spectrum.h"
#include "spectrum/segmentspectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace {

struct Record {
    const char *name;
    std::vector<float> samples;   // entry 0 is 0, the record is 1..count
};

std::vector<Record> records()
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 1);
    const auto make = [&](int count, auto value) {
        std::vector<float> s(count + 1, 0.0f);
        for (int i = 1; i <= count; ++i)
            s[i] = static_cast<float>(value(i));
        return s;
    };
    return {
        {"noise and a tone", make(30000, [&](int i) {
             return 1e-5 * noise(random) + 2e-4 * std::sin(i * 0.37);
         })},
        // Silent lead-in and a silent stretch longer than a block: all-zero
        // blocks, then blocks that are zero in part.
        {"with silence", make(20000, [&](int i) {
             return (i < 3000 || (i > 9000 && i < 12500)) ? 0.0 : 3e-5 * noise(random);
         })},
        // Large values, and a stretch so large that the power of the lowest
        // lines overflows to infinity.
        {"large", make(12000, [&](int i) {
             return (i > 6000 && i < 9000 ? 1e19 : 0.0) + 1e17 * noise(random);
         })},
        // Powers down among the subnormal floats, and some subnormal samples:
        // a computation that flushes them to zero differs.
        {"tiny", make(12000, [&](int i) {
             return (i % 5 ? 2e-19 : 1e-41) * noise(random);
         })},
        {"shorter than a block", make(1500, [&](int) { return 1e-4 * noise(random); })},
    };
}

} // namespace

TEST(SegmentSpectrum, EqualsTheStraightforwardReferenceBitForBit)
{
    for (const Record &record : records()) {
        const int32_t n = static_cast<int32_t>(record.samples.size()) - 1;
        const struct {
            const char *name;
            int32_t start, end;
        } segments[] = {
            {"whole record from entry 0", 0, n},
            {"whole record from 1", 1, n},
            {"short", 100, 1500},
            {"one block exactly", 1, 2049},
            {"just below two blocks", 1, 2560},
            {"two blocks exactly", 1, 2561},
            {"two blocks and one sample", 1, 2562},
            {"three blocks exactly", 7, 3079},
            {"past the end, zero padding", n - 700, n},
            {"last sample only", n, n},
            {"reversed ends", n - 10, n / 3},
        };
        for (const auto &segment : segments) {
            SCOPED_TRACE(std::string(record.name) + ", " + segment.name);
            const SegmentSpectrum got = segmentSpectrum(record.samples, segment.start, segment.end);
            const ReferenceSpectrum want =
                referenceSegmentSpectrum(record.samples, segment.start, segment.end);
            static_assert(sizeof got.lines == sizeof want.lines);
            EXPECT_EQ(std::memcmp(got.lines.data(), want.lines.data(), sizeof got.lines), 0);
            EXPECT_EQ(std::memcmp(&got.peak, &want.peak, sizeof got.peak), 0);
            EXPECT_EQ(got.peakLine, want.peakLine);
            EXPECT_EQ(got.blockCount, want.blockCount);
        }
    }
}
