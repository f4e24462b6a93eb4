#include "records.h"

#include <libmseed.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string_view>
#include <vector>

namespace {

// splitmix64: the same values on every platform, unlike the standard
// library's distributions.
struct Random {
    uint64_t &state;
    uint64_t next()
    {
        uint64_t z = (state += 0x9e3779b97f4a7c15);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return z ^ (z >> 31);
    }
    // Uniform in (0, 1].
    double uniform() { return static_cast<double>((next() >> 11) + 1) * 0x1p-53; }
    // Standard normal, Box-Muller.
    double gauss()
    {
        return std::sqrt(-2 * std::log(uniform())) * std::cos(2 * std::numbers::pi * uniform());
    }
};

struct FileCloser {
    void operator()(FILE *f) const { std::fclose(f); }
};

void appendRecord(char *record, int length, void *file)
{
    std::fwrite(record, 1, static_cast<size_t>(length), static_cast<FILE *>(file));
}

} // namespace

double RecordValues::next()
{
    Random random{state_};
    const double t = static_cast<double>(i_++) / rate_;
    const double a = std::fmod(t, 600.0);
    double v = 4e-6 * random.gauss();
    if (a < 30)
        v += 5e-4 * (a / 3) * std::exp(1 - a / 3) * std::sin(2 * std::numbers::pi * 11.3 * a);
    return v;
}

bool writeRecord(const std::string &path, int64_t count, int32_t rate, uint64_t seed)
{
    std::vector<char> buffer(1 << 20);   // outlives the file, which is closed first
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
    std::fprintf(file.get(),
                 "Start Time: 2026/03/14 10:21:07.000\r\nNumber of Samples: %lld\r\nSPS: %d\r\n"
                 "Station Code: BENCH01\r\nComponent Name: Z\r\nUnits: m/s\r\nData:\r\n",
                 static_cast<long long>(count), rate);
    RecordValues values(rate, seed);
    for (int64_t i = 0; i < count; ++i) {
        const double v = values.next();
        // As "%.6E\r\n" prints in the C locale, whatever the process's.
        char text[32];
        char *end = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 6).ptr;
        *std::find(text, end, 'e') = 'E';
        *end++ = '\r';
        *end++ = '\n';
        std::fwrite(text, 1, static_cast<size_t>(end - text), file.get());
    }
    return std::fflush(file.get()) == 0 && !std::ferror(file.get());
}

bool writeMiniSeedRecord(const std::string &path, int64_t count, int32_t rate, uint64_t seed)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    RecordValues values(rate, seed);
    MSRecord *msr = msr_init(nullptr);
    std::strcpy(msr->network, "XX");
    std::strcpy(msr->station, "BENCH");
    std::strcpy(msr->channel, "HHZ");
    msr->dataquality = 'D';
    msr->samprate = rate;
    msr->encoding = DE_STEIM2;
    msr->byteorder = 1;
    msr->reclen = 512;
    msr->sampletype = 'i';
    // Packed a million samples at a time, each time from where the last
    // ended, so that the records follow each other without a gap.
    std::vector<int32_t> counts;
    const hptime_t start = ms_time2hptime(2026, 73, 0, 0, 0, 0);
    bool packed = true;
    for (int64_t done = 0; packed && done < count;) {
        counts.clear();
        for (; done < count && counts.size() < 1000000; ++done)
            counts.push_back(static_cast<int32_t>(std::lround(values.next() * 1e9)));
        msr->starttime = start + (done - static_cast<int64_t>(counts.size())) * (HPTMODULUS / rate);
        msr->datasamples = counts.data();
        msr->numsamples = static_cast<int64_t>(counts.size());
        int64_t records = 0;
        packed = msr_pack(msr, appendRecord, file.get(), &records, 1, 0) >= 0;
    }
    msr->datasamples = nullptr;   // ours, not the library's to free
    msr_free(&msr);
    return packed && std::fflush(file.get()) == 0 && !std::ferror(file.get());
}

namespace {

// Removes the temporary folder of a written record at exit.
struct TemporaryFolder {
    std::filesystem::path path;
    ~TemporaryFolder()
    {
        if (!path.empty()) {
            std::error_code ignored;   // nothing more to do if it cannot go
            std::filesystem::remove_all(path, ignored);
        }
    }
};

[[noreturn]] void quit(const std::string &message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    std::exit(2);
}

} // namespace

std::string benchRecord(int &argc, char **argv)
{
    std::string record;
    long long samples = 0;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--record" || arg == "--samples") && i + 1 < argc) {
            const char *value = argv[++i];
            if (arg == "--record") {
                record = value;
            } else {
                char *end = nullptr;
                samples = std::strtoll(value, &end, 10);
                if (*end != '\0' || samples < 1 || samples > INT32_MAX)
                    quit(std::string("bad --samples: ") + value);
            }
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    if (!record.empty()) {
        if (!std::filesystem::is_regular_file(record))
            quit("no such record: " + record);
        return record;
    }

    static TemporaryFolder folder;
    std::string name = (std::filesystem::temp_directory_path() / "sismavue-bench-XXXXXX").string();
    if (!mkdtemp(name.data()))
        quit("cannot make a temporary folder");
    folder.path = name;
    const std::string path = (folder.path / "record.psn").string();
    if (!writeRecord(path, samples ? samples : 1000000, 100, 1))
        quit("cannot write " + path);
    return path;
}
