#include "record/recordreader.h"

#include "record/binaryinput.h"
#include "record/mseedreader.h"
#include "record/psntype4.h"
#include "record/sacreader.h"

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
    return readPsn(input, name, options);
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
