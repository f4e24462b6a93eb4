#include "analysis/loadrecord.h"

#include "session/memory.h"
#include "session/threads.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

LoadResult analyseRecord(PsnRecord &&record, const std::string &fileName,
                         const LoadOptions &options)
{
    const ReadProgress &progress = options.progress;
    const auto report = [&](int percent) {
        if (progress)
            progress(percent);
    };
    const auto tooLarge = [&](const char *what) {
        return LoadError{fileName, 0,
                         std::string("the sample values are too large: ") + what +
                             " exceeds the 32-bit floating-point range"};
    };
    AnalysedRecord a;
    a.sampleCount = record.sampleCount;
    a.sampleRate = record.sampleRate;
    a.stationCode = std::move(record.stationCode);
    a.componentName = std::move(record.componentName);
    a.samples = std::move(record.samples);
    a.sensitivity = record.sensitivity;
    a.largestValue = record.largestValue;
    const int32_t count = a.sampleCount;
    // Made a few megabytes at a time: on a long record the fresh pages take a
    // while, and a window lets its events run in between.
    const size_t levels = static_cast<size_t>(count) + 1;
    reserveLarge(a.slowLevel, levels);
    for (size_t made = 0;;) {
        made = std::min(levels, made + 16 * size_t{progressInterval});
        a.slowLevel.resize(made);
        if (made == levels)
            break;
        report(10);
    }

    const auto stage = [&](int from) -> SampleTick {
        if (!progress)
            return {};
        return [&, from](int32_t i) { progress(from + static_cast<int>(10LL * i / count)); };
    };
    const auto weigh = [&](const SampleTick &tick) {
        return removeMeanAndWeight(a.samples, record.sum, count, a.sampleRate, a.slowLevel, tick);
    };

    // On a long record the slow level follows the weighting on a second
    // thread, one progress interval behind: each piece only needs the
    // weighted values before it, and the pieces run in order.
    std::atomic<int32_t> weighted{0};   // weighted values ready
    std::atomic<int32_t> levelled{0};   // levels done
    SlowLevel slow(a.sampleRate);
    HelperThread follower;
    if (count >= options.threads.levelFromSamples && options.threads.threads > 1) {
        follower = HelperThread([&] {
            for (int32_t from = 1; from <= count;) {
                int32_t ready = weighted.load(std::memory_order_acquire);
                while (ready < from) {
                    weighted.wait(ready, std::memory_order_acquire);
                    ready = weighted.load(std::memory_order_acquire);
                }
                // A piece at a time, so that the caller, waiting for the
                // levels, can report progress between pieces.
                const int32_t to = std::min(ready, from + (progressInterval - 1));
                slow.levelRange(a.slowLevel.data(), from, to);
                from = to + 1;
                levelled.store(to, std::memory_order_release);
                levelled.notify_one();
            }
        });
    }

    MeanRemoved removed;
    if (!follower.started()) {
        removed = weigh(stage(10));
        if (!std::isfinite(removed.sumSquares))
            return tooLarge("the sum of their squares");
        report(20);
        a.lawMaxSlow = slowLevelInPlace(a.slowLevel, count, a.sampleRate, stage(20));
    } else {
        // Should a progress call throw, the follower is let finish first.
        struct Finish {
            std::atomic<int32_t> &weighted;
            HelperThread &follower;
            int32_t count;
            ~Finish()
            {
                weighted.store(count, std::memory_order_release);
                weighted.notify_one();
                follower.join();
            }
        } finish{weighted, follower, count};
        const SampleTick weighTick = stage(10);
        removed = weigh([&](int32_t i) {
            // Called before sample i is weighted.
            weighted.store(i - 1, std::memory_order_release);
            weighted.notify_one();
            if (weighTick)
                weighTick(i);
        });
        weighted.store(count, std::memory_order_release);
        weighted.notify_one();
        report(20);
        const SampleTick levelTick = stage(20);
        for (int32_t next = progressInterval;;) {
            int32_t done = levelled.load(std::memory_order_acquire);
            for (; next <= done + 1 && next <= count; next += progressInterval)
                if (levelTick)
                    levelTick(next);
            if (done == count)
                break;
            levelled.wait(done, std::memory_order_acquire);
        }
        a.lawMaxSlow = slow.lawMax();
        if (!std::isfinite(removed.sumSquares))
            return tooLarge("the sum of their squares");
    }
    if (!std::isfinite(a.lawMaxSlow))
        return tooLarge("the slow level");
    report(30);

    a.peakAmplitude = static_cast<float>(std::sqrt(static_cast<double>(removed.peakSquare)));
    a.sumSquares = removed.sumSquares;
    a.figures = recordFigures(a.peakAmplitude, a.sumSquares, a.lawMaxSlow, a.sampleCount);
    return a;
}

LoadResult loadRecord(const std::string &path, const LoadOptions &options)
{
    ReadResult read = readRecordFile(path, options);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    if (options.progress)
        options.progress(10);
    return analyseRecord(std::get<PsnRecord>(std::move(read)), path, options);
}
