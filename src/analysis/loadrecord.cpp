#include "analysis/loadrecord.h"

#include <cmath>
#include <utility>

LoadResult analyseRecord(PsnRecord &&record, const std::string &fileName,
                         const LoadProgress &progress)
{
    const auto report = [&](int percent) {
        if (progress)
            progress(percent);
    };
    const auto tooLarge = [&](const char *what) {
        return LoadError{fileName, 0,
                         std::string("the sample values are too large: ") + what +
                             " exceeds the 32-bit floating-point range"};
    };
    if (!std::isfinite(record.sum))
        return tooLarge("their sum");

    AnalysedRecord a;
    a.sampleCount = record.sampleCount;
    a.sampleRate = record.sampleRate;
    a.stationCode = std::move(record.stationCode);
    a.componentName = std::move(record.componentName);
    a.samples = std::move(record.samples);
    a.slowLevel.assign(static_cast<size_t>(a.sampleCount) + 1, 0.0f);

    const int32_t count = a.sampleCount;
    const auto stage = [&](int from) -> SampleTick {
        if (!progress)
            return {};
        return [&, from](int32_t i) { progress(from + static_cast<int>(10LL * i / count)); };
    };
    const MeanRemoved removed = removeMeanAndWeight(a.samples, record.sum, a.sampleCount,
                                                    a.sampleRate, a.slowLevel, stage(10));
    if (!std::isfinite(removed.sumSquares))
        return tooLarge("the sum of their squares");
    report(20);

    a.lawMaxSlow = slowLevelInPlace(a.slowLevel, a.sampleCount, a.sampleRate, stage(20));
    if (!std::isfinite(a.lawMaxSlow))
        return tooLarge("the slow level");
    report(30);

    a.peakAmplitude = static_cast<float>(std::sqrt(static_cast<double>(removed.peakSquare)));
    a.sumSquares = removed.sumSquares;
    a.figures = recordFigures(a.peakAmplitude, a.sumSquares, a.lawMaxSlow, a.sampleCount);
    return a;
}

LoadResult loadRecord(const std::string &path, const LoadProgress &progress)
{
    ReadResult read = readPsnFile(path, progress);
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    if (progress)
        progress(10);
    return analyseRecord(std::get<PsnRecord>(std::move(read)), path, progress);
}
