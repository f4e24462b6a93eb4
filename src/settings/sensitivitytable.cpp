#include "settings/sensitivitytable.h"

#include "session/numbertext.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <unistd.h>

namespace {

// A table line split into its text before any "#", the comment with the
// blanks before it, and a CR that ended it.
struct Line {
    std::string_view fields, comment, cr;
};

Line splitLine(std::string_view line)
{
    Line l;
    if (!line.empty() && line.back() == '\r') {
        l.cr = line.substr(line.size() - 1);
        line.remove_suffix(1);
    }
    const size_t hash = line.find('#');
    l.fields = line.substr(0, hash);
    if (hash != std::string_view::npos) {
        const size_t kept = trimmedCode(l.fields).empty() ? hash : l.fields.find_last_not_of(" \t") + 1;
        l.fields = line.substr(0, kept);
        l.comment = line.substr(kept);
    }
    return l;
}

// The three TAB-separated fields of a line, trimmed; false when there are not three.
bool splitFields(std::string_view text, std::string_view (&out)[3])
{
    for (int i = 0; i < 3; ++i) {
        const size_t tab = text.find('\t');
        if ((tab == std::string_view::npos) != (i == 2))
            return false;
        out[i] = trimmedCode(text.substr(0, tab));
        text.remove_prefix(i == 2 ? text.size() : tab + 1);
    }
    return !out[0].empty() && !out[1].empty();
}

// Calls `each` with every line of `text` (without its LF) and whether an LF ended it.
template <class Each>
void forEachLine(std::string_view text, Each each)
{
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        each(text.substr(0, lf), lf != std::string_view::npos);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
}

} // namespace

std::optional<double> parseSensitivity(std::string_view text, std::string_view separator)
{
    text = trimmedCode(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::string withPoint;
    if (const size_t at = separator.empty() ? text.npos : text.find(separator); at != text.npos) {
        withPoint = std::string(text.substr(0, at)) + '.' + std::string(text.substr(at + separator.size()));
        text = withPoint;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

std::variant<SensitivityTable, LoadError> parseSensitivityTable(std::string_view text,
                                                                const std::string &name)
{
    SensitivityTable table;
    long number = 0;
    std::optional<LoadError> error;
    forEachLine(text, [&](std::string_view line, bool) {
        ++number;
        const Line l = splitLine(line);
        if (error || trimmedCode(l.fields).empty())
            return;
        std::string_view fields[3];
        std::optional<double> s;
        if (!splitFields(l.fields, fields))
            error = LoadError{name, number, "expected STATION<TAB>COMPONENT<TAB>SENSITIVITY"};
        else if (!(s = parseSensitivity(fields[2])))
            error = LoadError{name, number,
                              "the sensitivity \"" + std::string(fields[2]) +
                                  "\" is not a number of counts per m/s above 0"};
        else
            table.push_back({std::string(fields[0]), std::string(fields[1]), *s});
    });
    if (error)
        return *error;
    return table;
}

std::variant<std::string, LoadError> readTableText(const std::string &path, bool mayBeMissing)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        if (mayBeMissing && error == ENOENT)
            return std::string();
        return LoadError{path, 0, "cannot be opened: " + systemReason(error)};
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return LoadError{path, 0, "could not be read"};
    return text.str();
}

std::variant<SensitivityTable, LoadError> readSensitivityTable(const std::string &path,
                                                               bool mayBeMissing)
{
    auto text = readTableText(path, mayBeMissing);
    if (auto *error = std::get_if<LoadError>(&text))
        return std::move(*error);
    return parseSensitivityTable(std::get<std::string>(text), path);
}

std::string userSensitivityTablePath()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && config[0] == '/') {
        folder = config;
    } else if (const char *home = std::getenv("HOME"); home && home[0] != '\0') {
        folder = std::string(home) + "/.config";
    } else {
        return {};
    }
    return folder + "/sismavue/sensitivities.tsv";
}

std::string withSensitivity(std::string_view text, std::string_view station,
                            std::string_view component, std::optional<double> s)
{
    station = trimmedCode(station);
    component = trimmedCode(component);
    const std::string line = std::string(station) + '\t' + std::string(component) + '\t' + (s ? shortestText(*s) : "");
    std::string out;
    bool written = !s;
    forEachLine(text, [&](std::string_view original, bool lf) {
        const Line l = splitLine(original);
        std::string_view fields[3];
        if (splitFields(l.fields, fields) && fields[0] == station && fields[1] == component) {
            if (written)
                return;
            written = true;
            out.append(line).append(l.comment).append(l.cr);
        } else {
            out.append(original);
        }
        if (lf)
            out += '\n';
    });
    if (!written) {
        if (!out.empty() && out.back() != '\n')
            out += '\n';
        out += line + '\n';
    }
    return out;
}

std::optional<std::string> writeTableFile(const std::string &path, std::string_view text)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    if (ec)
        return "its folder cannot be made: " + systemReason(ec.value());
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return "cannot be written: " + systemReason(errno);
    // The new table replaces the old one whole or not at all.
    int error = 0;
    for (size_t done = 0; done < text.size() && error == 0;) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            error = n == 0 ? EIO : errno;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return "cannot be written: " + systemReason(error);
    }
    return std::nullopt;
}

bool usableInTable(std::string_view code)
{
    code = trimmedCode(code);
    return !code.empty() && code.find_first_of("\t\r\n#") == std::string_view::npos;
}
