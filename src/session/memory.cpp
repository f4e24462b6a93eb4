#include "session/memory.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

// A figure from a system file; false when the file or the figure is absent.
bool readFigure(const char *path, const std::string &key, uint64_t &value)
{
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        const char *p = line.data() + key.size(), *end = line.data() + line.size();
        while (p != end && (*p == ' ' || *p == '\t'))
            ++p;
        return std::from_chars(p, end, value).ec == std::errc();
    }
    return false;
}

} // namespace

uint64_t availableMemory()
{
    uint64_t available = 0;
    if (readFigure("/proc/meminfo", "MemAvailable:", available)) {
        available *= 1024;
    } else {
        const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
        available = pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : 0;
    }
    uint64_t limit = 0, used = 0;
    if (readFigure("/sys/fs/cgroup/memory.max", "", limit) &&
        readFigure("/sys/fs/cgroup/memory.current", "", used))
        available = std::min(available, limit > used ? limit - used : 0);
    return available;
}
