#include "assess/companions.h"

#include "record/binary/mseedreader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

// A code of a miniSEED fixed header, its blanks cut off.
std::string headerCode(std::string_view head, std::size_t at, std::size_t size)
{
    std::string_view code = head.substr(at, size);
    while (!code.empty() && (code.back() == ' ' || code.back() == '\0'))
        code.remove_suffix(1);
    return std::string(code);
}

} // namespace

ChannelInfo channelInfo(const RecordEntry &entry)
{
    ChannelInfo c{entry.info.network, entry.info.station, entry.info.location, entry.info.channel,
                  static_cast<double>(entry.info.sampleRate), std::nullopt, entry.sampleCount};
    if (entry.info.startTime)
        c.startMicros = entry.info.startTime->time_since_epoch().count();
    return c;
}

std::variant<std::vector<RecordEntry>, LoadError> fileEntries(const std::string &path, const ReadOptions &options)
{
    auto input = openRecordFile(path);
    if (auto *error = std::get_if<LoadError>(&input))
        return std::move(*error);
    OpenResult opened = openRecord(std::get<ByteInput>(input), path, options);
    if (auto *error = std::get_if<LoadError>(&opened))
        return std::move(*error);
    return std::get<OpenedRecord>(opened).entries();
}

bool mayHoldCompanion(std::string_view head, const ChannelInfo &record)
{
    if (recognisesMiniSeed(head)) {
        // Station at byte 8 (5 bytes), location 13 (2), channel 15 (3), network 18 (2).
        return headerCode(head, 8, 5) == record.station && headerCode(head, 13, 2) == record.location &&
               headerCode(head, 18, 2) == record.network &&
               headerCode(head, 15, 3).compare(0, 2, record.channel, 0, 2) == 0;
    }
    const RecordFormat &format = recogniseRecord(head);
    return &format != &recordFormats().back() || head.find('\0') == std::string_view::npos;
}

std::vector<FileEntry> companionEntries(std::span<const std::string> paths, const ChannelInfo &record,
                                        const ReadOptions &options)
{
    std::vector<FileEntry> found;
    for (const std::string &path : paths) {
        auto input = openRecordFile(path);
        if (std::holds_alternative<LoadError>(input))
            continue;
        ByteInput &bytes = std::get<ByteInput>(input);
        if (!mayHoldCompanion(bytes.peek(recogniseBytes), record))
            continue;
        OpenResult opened = openRecord(bytes, path, options);
        if (std::holds_alternative<LoadError>(opened))
            continue;
        const std::vector<RecordEntry> &entries = std::get<OpenedRecord>(opened).entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ChannelInfo other = channelInfo(entries[i]);
            if (!entries[i].problem && other.channel != record.channel && fitTogether(record, other))
                found.push_back({path, i, entries[i]});
        }
    }
    return found;
}

std::vector<std::string> folderFiles(const std::string &path)
{
    namespace fs = std::filesystem;
    const fs::path own(path);
    const fs::path folder = own.parent_path();
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code statError;
        if (!it->is_regular_file(statError) || it->path().filename() == own.filename())
            continue;
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (std::string &name : names)
        name = (folder / name).string();
    return names;
}
