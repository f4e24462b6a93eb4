#include "parse_floor.h"

#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

ParsedValues parseFloor(const std::string &path)
{
    ParsedValues parsed;
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return parsed;
    struct stat st {};
    const size_t size = fstat(fd, &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
    void *map = size ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    close(fd);
    if (map == MAP_FAILED)
        return parsed;

    const char *p = static_cast<const char *>(map);
    const char *end = p + size;
    const std::string_view text(p, size);
    const size_t data = text.find("Data:");
    p = data == std::string_view::npos ? end : p + data + 5;
    // Every value takes at least two bytes with its line end.
    parsed.values = std::make_unique_for_overwrite<float[]>(size / 2 + 1);
    float *out = parsed.values.get();
    while (p < end) {
        if (*p == '\r' || *p == '\n' || *p == ' ' || *p == '\t') {
            ++p;
            continue;
        }
        const auto [next, ec] = std::from_chars(p, end, *out);
        if (ec != std::errc())
            break;
        ++out;
        p = next;
    }
    parsed.count = static_cast<size_t>(out - parsed.values.get());
    munmap(map, size);
    return parsed;
}

namespace {

bool isSpace(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }

} // namespace

ParsedValues streamingParseFloor(const std::string &path)
{
    ParsedValues parsed;
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return parsed;
    struct stat st {};
    const size_t size = fstat(fd, &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
    // Every value takes at least two bytes with its line end.
    parsed.values = std::make_unique_for_overwrite<float[]>(size / 2 + 1);
    float *out = parsed.values.get();
    std::vector<char> buffer(4 << 20);
    size_t kept = 0;       // the start of a value cut by the last read
    bool inData = false;   // "Data:" has been passed
    for (bool more = true; more;) {
        const ssize_t got = read(fd, buffer.data() + kept, buffer.size() - kept);
        more = got > 0;
        const char *p = buffer.data();
        const char *end = p + kept + (more ? got : 0);
        if (!inData) {
            // The header of the records measured fits the first read.
            const std::string_view text(p, end - p);
            const size_t data = text.find("Data:");
            p = data == std::string_view::npos ? end : p + data + 5;
            inData = true;
        }
        // A value running to the end of the buffer may go on in the next read.
        const char *stop = end;
        while (more && stop > p && !isSpace(stop[-1]))
            --stop;
        while (p < stop) {
            if (isSpace(*p)) {
                ++p;
                continue;
            }
            const auto [next, ec] = std::from_chars(p, stop, *out);
            if (ec != std::errc())
                break;
            ++out;
            p = next;
        }
        kept = static_cast<size_t>(end - stop);
        std::memmove(buffer.data(), stop, kept);
    }
    close(fd);
    parsed.count = static_cast<size_t>(out - parsed.values.get());
    return parsed;
}
