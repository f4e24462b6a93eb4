#include "record/recordreader.h"

#include "record/binary/mseedreader.h"
#include "record/binary/psntype4.h"
#include "record/binary/sacreader.h"
#include "record/text/psnreader.h"

#include <algorithm>

namespace {

bool recognisesPsnVolume(std::string_view head)
{
    return head.starts_with("PSNVOLUME");
}

OpenResult refusePsnVolume(ByteInput &, const std::string &name, const ReadOptions &)
{
    return LoadError{name, 0, "is a PSN volume file, which holds several records; Sismavue opens single "
                              "PSN event files"};
}

std::string namesOf(const std::vector<RecordEntry> &entries)
{
    std::string names;
    for (const RecordEntry &entry : entries)
        names += (names.empty() ? "" : ", ") + entryLabel(entry);
    return names;
}

} // namespace

std::string entryLabel(const RecordEntry &entry)
{
    if (entry.pieces < 2)
        return entry.channelName;
    return entry.channelName + (entry.channelName.empty() ? "" : " ") + "piece " + std::to_string(entry.piece + 1) +
           " of " + std::to_string(entry.pieces);
}

std::string entryTag(const RecordEntry &entry)
{
    if (entry.pieces < 2)
        return entry.channelName;
    const std::string channel = entry.channelName.empty() ? entry.info.channel : entry.channelName;
    return channel + "-" + std::to_string(entry.piece + 1);
}

size_t offeredEntry(const std::vector<RecordEntry> &entries)
{
    size_t offered = 0;
    const auto vertical = [&](size_t i) { return entries[i].info.channel.ends_with('Z'); };
    for (size_t i = 1; i < entries.size(); ++i) {
        const int64_t longest = entries[offered].sampleCount, length = entries[i].sampleCount;
        if (length > longest || (length == longest && vertical(i) && !vertical(offered)))
            offered = i;
    }
    return offered;
}

const std::vector<RecordFormat> &recordFormats()
{
    // miniSEED before SAC: a record's data could hold 6 where SAC keeps its version.
    static const std::vector<RecordFormat> formats = {
        {"PSN Type 4", recognisesPsnType4, openPsnType4},
        {"PSN volume", recognisesPsnVolume, refusePsnVolume},
        {"miniSEED", recognisesMiniSeed, openMiniSeed},
        {"SAC", recognisesSac, openSac},
        {"PSN text", recognisesPsnText, openPsnText},
    };
    return formats;
}

const RecordFormat &recogniseRecord(std::string_view head)
{
    const std::vector<RecordFormat> &formats = recordFormats();
    return *std::find_if(formats.begin(), formats.end(),
                         [&](const RecordFormat &format) { return format.recognises(head); });
}

OpenResult openRecord(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    return recogniseRecord(input.peek(recogniseBytes)).open(input, name, options);
}

ReadResult readRecord(ByteInput &input, const std::string &name, const ReadOptions &options)
{
    OpenResult opened = openRecord(input, name, options);
    if (auto *error = std::get_if<LoadError>(&opened))
        return std::move(*error);
    OpenedRecord &record = std::get<OpenedRecord>(opened);
    if (record.entries().size() > 1)
        return LoadError{name, 0, "holds several channels (" + namesOf(record.entries()) + "); one must be chosen"};
    return record.readOnly(0);
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
