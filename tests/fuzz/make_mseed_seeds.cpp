// Writes the miniSEED seeds of the fuzz corpus into the folder given, packed
// by libmseed: every encoding read, both byte orders, records of 128 to 1024
// bytes, several channels side by side, a gap, text records, and a record
// cut short. Deterministic; each seed fits the fuzz run's largest input.
#include "../record/mseedwriter.h"

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<double> counts(int n, double scale)
{
    std::vector<double> values;
    for (int i = 0; i < n; ++i)
        values.push_back(std::round(scale * std::sin(i * 0.3)) + (i == n / 2 ? 5 * scale : 0));
    return values;
}

MiniSeed channel(const char *code, int encoding, int n = 400)
{
    MiniSeed m;
    m.channel = code;
    m.encoding = encoding;
    m.values = counts(n, 1000);
    return m;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const std::string folder = argv[1];
    const auto write = [&](const std::string &name, const std::string &bytes) {
        std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
    };
    for (const auto &[name, encoding] : {std::pair("steim2", DE_STEIM2), {"steim1", DE_STEIM1},
                                         {"int16", DE_INT16}, {"int32", DE_INT32},
                                         {"float32", DE_FLOAT32}, {"float64", DE_FLOAT64}}) {
        MiniSeed m = channel("EHZ", encoding);
        write(std::string("valid-mseed-") + name + ".bin", m.bytes());
        m.bigEndian = false;
        m.recordLength = 256;
        write(std::string("valid-mseed-") + name + "-little-256.bin", m.bytes());
    }
    MiniSeed small = channel("HHZ", DE_STEIM2, 300);
    small.recordLength = 128;
    write("valid-mseed-128.bin", small.bytes());
    MiniSeed wide = channel("HHZ", DE_STEIM1, 1500);
    wide.recordLength = 1024;
    write("valid-mseed-1024.bin", wide.bytes());

    const std::string north = channel("EHN", DE_STEIM2).bytes(), vertical = channel("EHZ", DE_STEIM2).bytes();
    MiniSeed log;
    log.channel = "LOG";
    log.encoding = DE_ASCII;
    log.text = "GPS locked, clock quality 100";
    write("valid-mseed-two-channels-and-text.bin", interleaved({north, vertical, log.bytes()}));

    MiniSeed gap = channel("EHZ", DE_STEIM2, 200);
    std::string withGap = gap.bytes();
    gap.start += 3 * HPTMODULUS;
    withGap += gap.bytes();
    write("broken-mseed-gap.bin", withGap);
    write("broken-mseed-cut.bin", vertical.substr(0, vertical.size() - 100));
    return 0;
}
