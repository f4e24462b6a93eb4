#include "record/recordreader.h"

#include "record/binary/binaryinput.h"
#include "record/binary/mseedreader.h"
#include "record/binary/psntype4.h"
#include "record/binary/sacreader.h"

#include <cmath>

namespace {

// A PSN text record through the sensitivity, when one applies to its
// station and component: values are divided in 64-bit, and the sum is
// taken again in file order, a piece at a time with `progress` at 10
// between pieces, so that a window goes on answering.
ReadResult scaleText(ReadResult read, const std::string &name, const ReadOptions &options)
{
    auto *record = std::get_if<PsnRecord>(&read);
    if (!record)
        return read;
    const ValueScale scale = chooseScale(options.sensitivity, record->stationCode, record->componentName, {});
    if (scale.asTheyStand)
        return read;
    std::vector<float> &samples = record->samples;
    double sum = 0;
    float largest = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (i % progressInterval == 0 && options.progress)
            options.progress(10);
        const float v = static_cast<float>(samples[i] * scale.factor / scale.divisor);
        if (!std::isfinite(v))
            return LoadError{name, 0, "sample " + std::to_string(i) +
                                          " is beyond the 32-bit float range once divided by the sensitivity " +
                                          shortestText(scale.divisor)};
        samples[i] = v;
        sum += v;
        largest = std::max(largest, std::abs(v));
    }
    record->sum = sum;
    record->largestValue = largest;
    record->sensitivity = scale.countsPerMetrePerSecond();
    return read;
}

} // namespace

RecordFormat recogniseRecord(std::string_view head)
{
    if (head.starts_with("PSNTYPE4"))
        return RecordFormat::psnType4;
    if (head.starts_with("PSNVOLUME"))
        return RecordFormat::psnVolume;
    // Before SAC: a record's data could hold 6 where SAC keeps its version.
    if (startsMiniSeed(head))
        return RecordFormat::miniSeed;
    // The header version, 6, in either byte order.
    if (head.size() >= 308) {
        const std::string_view version = head.substr(304, 4);
        if (version == std::string_view("\x06\0\0\0", 4) || version == std::string_view("\0\0\0\x06", 4))
            return RecordFormat::sac;
    }
    return RecordFormat::psnText;
}

ReadResult readRecord(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    switch (recogniseRecord(input.peek(recogniseBytes))) {
    case RecordFormat::psnType4:
        return readPsnType4(input, name, options);
    case RecordFormat::psnVolume:
        return LoadError{name, 0, "is a PSN volume file, which holds several records; Sismavue "
                                  "opens single PSN event files"};
    case RecordFormat::sac:
        return readSac(input, name, options);
    case RecordFormat::miniSeed:
        return readMiniSeedChannel(input, name, options);
    case RecordFormat::psnText:
        break;
    }
    return scaleText(readPsn(input, name, options), name, options);
}

RecordsResult readRecords(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    if (recogniseRecord(input.peek(recogniseBytes)) == RecordFormat::miniSeed)
        return readMiniSeed(input, name, options);
    return asRecords(readRecord(input, name, options));
}

RecordsResult asRecords(ReadResult read)
{
    if (auto *error = std::get_if<LoadError>(&read))
        return std::move(*error);
    std::vector<ReadResult> one;
    one.push_back(std::move(read));
    return one;
}

ReadResult parseRecord(std::string_view bytes, const std::string &name, const ReadOptions &options)
{
    ByteInput input(bytes);
    return readRecord(input, name, options);
}

ReadResult readRecordFile(const std::string &path, const ReadOptions &options)
{
    auto opened = openRecordFile(path);
    if (auto *error = std::get_if<LoadError>(&opened))
        return std::move(*error);
    return readRecord(std::get<ByteInput>(opened), path, options);
}
