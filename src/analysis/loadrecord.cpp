#include "analysis/loadrecord.h"

#include "analysis/levelstages.h"

#include <algorithm>
#include <cmath>
#include <utility>

LoadResult analyseRecord(Record &&record, const std::string &fileName, const LoadOptions &options)
{
    const auto tooLarge = [&](const char *what) {
        return LoadError{fileName, 0,
                         std::string("the sample values are too large: ") + what +
                             " exceeds the 32-bit floating-point range"};
    };
    AnalysedRecord a;
    static_cast<RecordInfo &>(a) = std::move(static_cast<RecordInfo &>(record));
    a.sampleCount = record.sampleCount;
    a.samples = std::move(record.samples);
    a.largestValue = record.largestValue;
    a.warnings = std::move(record.warnings);
    const int32_t count = a.sampleCount;
    if (options.keepLevels)
        a.slowLevel.reserve(static_cast<size_t>(count) + 1);

    const LevelStages stages =
        weighAndLevel(a.samples, record.sum, count, a.sampleRate,
                      options.keepLevels ? &a.slowLevel : nullptr, options.threads, options.progress,
                      options.alongside, options.followLevels);
    const MeanRemoved &removed = stages.removed;
    a.lawMaxSlow = stages.lawMaxSlow;
    if (!std::isfinite(removed.sumSquares))
        return tooLarge("the sum of their squares");
    if (!std::isfinite(a.lawMaxSlow))
        return tooLarge("the slow level");
    reportProgress(options.progress, 1);

    a.peakAmplitude = static_cast<float>(std::sqrt(static_cast<double>(removed.peakSquare)));
    a.sumSquares = removed.sumSquares;
    a.figures = recordFigures(a.peakAmplitude, a.sumSquares, a.lawMaxSlow, a.sampleCount);
    return a;
}

LoadResult loadRecord(const std::string &path, const ReadOptions &read, const LoadOptions &options)
{
    ReadResult record = readRecordFile(path, read);
    if (auto *error = std::get_if<LoadError>(&record))
        return std::move(*error);
    return analyseRecord(std::get<Record>(std::move(record)), path, options);
}
