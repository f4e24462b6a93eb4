#include "report/eventfiles.h"

#include "record/loaderror.h"
#include "record/recordreader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

namespace fs = std::filesystem;

namespace {

// Whether `path` (absolute, without links) lies in `folder` (likewise).
bool inside(const fs::path &path, const fs::path &folder)
{
    const auto [end, _] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return end == folder.end();
}

std::string headOf(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    std::string head(recogniseBytes, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(std::max<std::streamsize>(0, file.gcount())));
    return head;
}

void walkFolder(const std::string &given, FoundFiles &found)
{
    std::error_code ec;
    const fs::path root = fs::canonical(given, ec);
    if (ec) {
        found.problems.push_back({given, systemReason(ec.value())});
        return;
    }
    std::vector<std::pair<std::string, std::string>> files;   // relative path, as shown
    std::set<fs::path> seen;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const fs::path target = fs::canonical(it->path(), ec);
        if (ec || !inside(target, root) || !fs::is_regular_file(target, ec) || !seen.insert(target).second) {
            ec.clear();
            continue;
        }
        if (recognisedRecord(headOf(target))) {
            const std::string relative = fs::relative(it->path(), root).generic_string();
            files.push_back({relative, (fs::path(given) / relative).string()});
        }
    }
    if (ec)
        found.problems.push_back({given, systemReason(ec.value())});
    std::sort(files.begin(), files.end());
    for (auto &file : files)
        found.files.push_back(std::move(file.second));
}

} // namespace

bool recognisedRecord(std::string_view head)
{
    if (&recogniseRecord(head) != &recordFormats().back())
        return true;
    for (size_t at = 0; at < head.size(); at = head.find('\n', at) + 1) {
        const std::string_view line = head.substr(at);
        if (line.starts_with("Number of Samples") || line.starts_with("SPS:"))
            return true;
        if (head.find('\n', at) == std::string_view::npos)
            break;
    }
    return false;
}

FoundFiles findEventFiles(const std::vector<std::string> &given)
{
    FoundFiles found;
    for (const std::string &name : given) {
        std::error_code ec;
        if (name != "-" && fs::is_directory(name, ec))
            walkFolder(name, found);
        else
            found.files.push_back(name);
    }
    return found;
}

bool eventBefore(const EventKey &a, const EventKey &b)
{
    if (a.start.has_value() != b.start.has_value())
        return a.start.has_value();
    const auto start = a.start.value_or(UtcTime{}), otherStart = b.start.value_or(UtcTime{});
    return std::tie(start, a.file, a.entry) < std::tie(otherStart, b.file, b.entry);
}
