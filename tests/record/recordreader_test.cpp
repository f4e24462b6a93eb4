#include "record/recordreader.h"

#include "analysis/loadrecord.h"
#include "mseedwriter.h"
#include "readertest.h"
#include "recordwriters.h"
#include "report/report.h"
#include "spectrum/segmentspectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

#include <unistd.h>

namespace {

// Reads `bytes` through a pipe, so that the size is unknown, a writer
// feeding it 100 bytes at a time.
ReadResult readFromPipe(const std::string &bytes, const ReadOptions &options)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return LoadError{"pipe", 0, "no pipe"};
    std::thread writer([&] {
        for (size_t at = 0; at < bytes.size(); at += 100)
            if (::write(ends[1], bytes.data() + at, std::min<size_t>(100, bytes.size() - at)) < 0)
                break;
        ::close(ends[1]);
    });
    ByteInput input(ends[0], std::nullopt, true);
    ReadResult result = readRecord(input, "record", options);
    writer.join();
    return result;
}

bool sameRecord(const Record &a, const Record &b)
{
    return a.samples == b.samples && a.sum == b.sum && a.sampleRate == b.sampleRate &&
           a.station == b.station && a.channel == b.channel && a.startTime == b.startTime &&
           a.sensitivity == b.sensitivity && a.largestValue == b.largestValue && a.warnings == b.warnings;
}

// Reads `bytes` whole, in parts of 7 bytes and from a pipe; all must give
// the same record. Progress runs up to 1.
ReadResult readEveryWay(const std::string &bytes, ReadOptions options = {})
{
    std::vector<double> progress;
    options.progress = [&](double p) { progress.push_back(p); };
    ReadResult whole = parseRecord(bytes, "record", options);
    options.progress = {};
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.empty() ? 0 : progress.back(), 1);
    options.threads.readPartBytes = 7;
    for (const ReadResult &other : {parseRecord(bytes, "record", options), readFromPipe(bytes, options)}) {
        EXPECT_EQ(describe(other), describe(whole));
        if (auto *record = std::get_if<Record>(&whole)) {
            EXPECT_TRUE(sameRecord(std::get<Record>(other), *record));
        }
    }
    return whole;
}

std::string psnText(const std::vector<float> &values, int rate = 100, const std::string &unit = "")
{
    std::string text = "Number of Samples: " + std::to_string(values.size()) + "\r\nSPS: " +
                       std::to_string(rate) + "\r\nStation Code: ABC\r\nComponent Name: HHZ\r\n" +
                       (unit.empty() ? "" : "Units: " + unit + "\r\n") + "Data:\r\n";
    for (float v : values)
        text += cText(v, std::chars_format::general, 9) + "\r\n";
    return text;
}

// What the report prints for the record, and its spectrum.
std::string figures(Record record)
{
    LoadResult loaded = analyseRecord(std::move(record), "record");
    if (auto *error = std::get_if<LoadError>(&loaded))
        return error->message();
    const AnalysedRecord &a = std::get<AnalysedRecord>(loaded);
    const SegmentSpectrum spectrum = segmentSpectrum(a.samples, 0, a.sampleCount);
    return summaryRow(summaryFields(a, std::nullopt, ".")) +
           copySpectrumText(spectrum.lines, a.sampleRate, ".", "\n");
}

// A record of ADC counts: a sine, an offset and one spike.
std::vector<double> counts()
{
    std::vector<double> c;
    for (int i = 0; i < 3000; ++i)
        c.push_back(100 + std::round(3000 * std::sin(i * 0.05)) + (i == 1500 ? 20000 : 0));
    return c;
}

template <class To>
std::vector<To> converted(const std::vector<double> &values, double factor)
{
    std::vector<To> out;
    for (double v : values)
        out.push_back(static_cast<To>(v * factor));
    return out;
}

} // namespace

TEST(RecordReader, TheSameSamplesGiveTheSameFiguresInEveryFormat)
{
    // 2^-20 m/s per count keeps every conversion exact, so each way of
    // stating it gives the same floats: 100 * 2^-20 cm/s per count in a
    // Type 4 header, 2^20 counts per m/s given or in a table.
    const double perCount = std::ldexp(1.0, -20);
    const std::vector<double> c = counts();
    const std::vector<float> metres = converted<float>(c, perCount);
    const SensitivityTable table = {{"XYZ", "HHZ", 1}, {"ABC", "*", 1 / perCount}};
    ReadOptions given, fromTable;
    given.sensitivity.given = 1 / perCount;
    fromTable.sensitivity.table = &table;
    const auto type4 = [&](uint8_t sampleType) {
        Type4 t;
        t.values = c;
        t.sampleType = sampleType;
        t.sensitivity = 100 * perCount;
        t.variableHeader = type4Block(3, "note") + type4Block(0, "") + std::string(5, '\0');
        return t.bytes();
    };
    const auto sac = [&](bool bigEndian, int32_t idep, const std::vector<float> &values) {
        Sac s;
        s.values = values;
        s.bigEndian = bigEndian;
        s.idep = idep;
        return s.bytes();
    };
    const auto mseed = [&](int encoding, bool bigEndian, int recordLength = 512) {
        MiniSeed m;
        m.values = c;
        m.encoding = encoding;
        m.bigEndian = bigEndian;
        m.recordLength = recordLength;
        m.station = "ABC";
        m.channel = "HHZ";
        return m.bytes();
    };
    const std::vector<float> nanometres = converted<float>(c, 1);
    std::vector<float> fromNanometres, divided[2];
    for (float v : nanometres) {
        fromNanometres.push_back(static_cast<float>(v * 1e-9));
        divided[0].push_back(static_cast<float>(v / 1e6));
        divided[1].push_back(static_cast<float>(v / 1e9));
    }

    struct Row {
        const char *name;
        std::string bytes;
        ReadOptions options;
        std::vector<float> expected;
        std::optional<double> sensitivity;
    };
    const Row rows[] = {
        {"PSN text in m/s", psnText(metres), {}, metres, std::nullopt},
        {"PSN text of counts, sensitivity from a table", psnText(converted<float>(c, 1)), fromTable, metres, 1 / perCount},
        {"PSN text of counts by its unit, sensitivity given", psnText(converted<float>(c, 1), 100, "counts"), given, metres,
         1 / perCount},
        {"PSN text in m/s by its unit", psnText(metres, 100, " m/s "), {}, metres, std::nullopt},
        // 1000 = 125 * 2^3: the millimetres are exact floats, and so are the metres.
        {"PSN text in mm/s", psnText(converted<float>(c, 1e3 * perCount), 100, "mm/s"), {}, metres, 1e3},
        {"PSN text in \u00B5m/s, the sign in Latin-1", psnText(nanometres, 100, "\xB5m/s"), {}, divided[0], 1e6},
        {"PSN text in um/s", psnText(nanometres, 100, "um/s"), {}, divided[0], 1e6},
        {"PSN text in nm/s", psnText(nanometres, 100, "nm/s"), {}, divided[1], 1e9},
        {"PSN text in mm/s, sensitivity given first", psnText(converted<float>(c, 1), 100, "mm/s"), given, metres,
         1 / perCount},
        {"Type 4 int16", type4(0), {}, metres, 1 / perCount},
        {"Type 4 int32", type4(1), {}, metres, 1 / perCount},
        {"Type 4 float32", type4(2), {}, metres, 1 / perCount},
        {"Type 4 float64", type4(3), {}, metres, 1 / perCount},
        {"SAC little-endian counts, sensitivity given", sac(false, 5, nanometres), given, metres, 1 / perCount},
        {"SAC big-endian counts, sensitivity given", sac(true, -12345, nanometres), given, metres, 1 / perCount},
        {"SAC big-endian nm/s", sac(true, 7, nanometres), {}, fromNanometres, 1 / 1e-9},
        {"miniSEED int32, sensitivity given", mseed(DE_INT32, true), given, metres, 1 / perCount},
        {"miniSEED Steim-1 little-endian in records of 128 bytes, sensitivity given", mseed(DE_STEIM1, false, 128),
         given, metres, 1 / perCount},
        {"miniSEED Steim-2, sensitivity from a table", mseed(DE_STEIM2, true), fromTable, metres, 1 / perCount},
        {"miniSEED float32, sensitivity given", mseed(DE_FLOAT32, true), given, metres, 1 / perCount},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ReadResult read = readEveryWay(row.bytes, row.options);
        auto *record = std::get_if<Record>(&read);
        ASSERT_NE(record, nullptr) << describe(read);
        std::vector<float> expected = row.expected;
        expected.insert(expected.begin(), 0.0f);
        EXPECT_EQ(record->samples, expected);
        EXPECT_EQ(record->sampleRate, 100);
        EXPECT_EQ(record->station, "ABC");
        EXPECT_EQ(record->channel, "HHZ");
        EXPECT_EQ(record->sensitivity, row.sensitivity);
        EXPECT_EQ(record->largestValue, *std::max_element(row.expected.begin(), row.expected.end()));
        EXPECT_EQ(figures(std::move(*record)),
                  figures(std::get<Record>(parseRecord(psnText(row.expected), "record"))));
    }
}

TEST(RecordReader, SensitivityComesFromTheOptionThenTheTableThenTheHeader)
{
    // A count of 1000 through 1e-4 cm/s per count is 1e-3 mm/s = 1e-6 m/s.
    const SensitivityTable anyComponent = {{"XYZ", "*", 7}, {"ABC", "*", 250}};
    const SensitivityTable exactFirst = {{"ABC", "*", 250}, {"ABC", "HHZ", 500}};
    struct Row {
        const char *name;
        uint8_t sensorType;
        double headerSensitivity;
        std::optional<double> given;
        const SensitivityTable *table;
        std::optional<double> expected;   // counts per m/s
        float sample;
    };
    const Row rows[] = {
        {"the header's", 2, 1e-4, {}, nullptr, 100 / 1e-4, static_cast<float>(1000 * 1e-4 / 100)},
        {"a table line for any component", 2, 1e-4, {}, &anyComponent, 250, 1000.0f / 250},
        {"the exact component before any", 2, 1e-4, {}, &exactFirst, 500, 1000.0f / 500},
        {"the option before the table", 2, 1e-4, 1000, &exactFirst, 1000, 1},
        {"no sensitivity: counts as they stand", 2, 0, {}, nullptr, std::nullopt, 1000},
        {"an unknown sensor's sensitivity is not used", 0, 1e-4, {}, nullptr, std::nullopt, 1000},
        {"a table for counts of an unknown sensor", 0, 0, {}, &anyComponent, 250, 1000.0f / 250},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Type4 t;
        t.values = {1000, -1000, 0};
        t.sensorType = row.sensorType;
        t.sensitivity = row.headerSensitivity;
        ReadOptions options;
        options.sensitivity = {row.given, row.table};
        ReadResult read = parseRecord(t.bytes(), "record", options);
        auto *record = std::get_if<Record>(&read);
        ASSERT_NE(record, nullptr) << describe(read);
        EXPECT_EQ(record->sensitivity, row.expected);
        EXPECT_EQ(record->samples[1], row.sample);
    }
}

TEST(RecordReader, BrokenAndUnsupportedFilesAreRefusedWithTheReason)
{
    const auto type4 = [](auto change) {
        Type4 t;
        t.values = {1, 2, 3};
        change(t);
        return t.bytes();
    };
    const auto sac = [](auto change) {
        Sac s;
        s.values = {1, 2, 3};
        change(s);
        return s.bytes();
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::string good4 = type4([](Type4 &) {});
    const std::string crcText = [&] {
        char text[64];
        std::snprintf(text, sizeof text, "0x%04X but its bytes give 0x%04X",
                      (xmodemCrc(good4.substr(0, good4.size() - 2)) + 1) & 0xFFFF,
                      xmodemCrc(good4.substr(0, good4.size() - 2)));
        return std::string(text);
    }();
    const auto mseed = [](auto change) {
        MiniSeed m;
        m.values = {1, 2, 3};
        m.channel = "HHZ";
        change(m);
        return m.bytes();
    };
    const auto patched = [](std::string bytes, size_t at, std::string with) {
        return bytes.replace(at, with.size(), with);
    };
    const std::string steim = mseed([](MiniSeed &m) { m.values = std::vector<double>(1000, 5); });
    const std::string velocityOnly = "; Sismavue analyses velocity records";
    const std::string tooLow = " samples per second is too low: the 2 Hz weighting filter cannot be designed below 12 samples per second";
    struct Row { const char *name; std::string bytes, reason; };
    const Row rows[] = {
        {"Type 4 cut in its header", good4.substr(0, 100), "the file ends inside its 154-byte header"},
        {"Type 4 volume", "PSNVOLUME1" + std::string(200, '\0'),
         "is a PSN volume file, which holds several records; Sismavue opens single PSN event files"},
        {"Type 4 count beyond the bytes", type4([](Type4 &t) { t.count = 2000000000; }),
         "the header announces 2000000000 samples (8000000000 bytes) but only 12 bytes follow the header"},
        {"Type 4 count without its CRC in the bytes", good4.substr(0, good4.size() - 2),
         "the header announces 3 samples (12 bytes) but only 10 bytes follow the header"},
        {"Type 4 count beyond 32 bits", type4([](Type4 &t) { t.count = 3000000000; }),
         "the header announces 3000000000 samples, more than the 2147483647 a record can hold"},
        {"Type 4 no samples", type4([](Type4 &t) { t.values = {}; }),
         "the header announces 0 samples; there must be at least 1"},
        {"Type 4 CRC mismatch", type4([](Type4 &t) { t.crcChange = 1; }), "the CRC stored in the file is " + crcText},
        {"Type 4 unknown sample type", type4([](Type4 &t) { t.sampleType = 7; }), "has an unknown sample type 7"},
        {"Type 4 compressed", type4([](Type4 &t) { t.compression = 1; }),
         "holds compressed samples (compression 1), which Sismavue does not read"},
        {"Type 4 acceleration", type4([](Type4 &t) { t.sensorType = 1; }), "holds acceleration" + velocityOnly},
        {"Type 4 displacement", type4([](Type4 &t) { t.sensorType = 3; }), "holds displacement" + velocityOnly},
        {"Type 4 unknown sensor", type4([](Type4 &t) { t.sensorType = 9; }), "has an unknown sensor type 9"},
        {"Type 4 NaN sensitivity", type4([&](Type4 &t) { t.sensitivity = nan; }),
         "has an impossible sensitivity nan cm/s per count"},
        {"Type 4 rate between whole numbers", type4([](Type4 &t) { t.rate = 99.5; }),
         "a sampling rate of 99.5 samples per second is not a whole number (within 0.1 %); the weighting works at whole rates"},
        {"Type 4 rate too low", type4([](Type4 &t) { t.rate = 11; }), "a sampling rate of 11" + tooLow},
        {"Type 4 rate NaN", type4([&](Type4 &t) { t.rate = nan; }), "a sampling rate of nan samples per second is impossible"},
        {"Type 4 rate 0", type4([](Type4 &t) { t.rate = 0; }), "a sampling rate of 0 samples per second is impossible"},
        {"Type 4 variable header beyond the bytes", type4([](Type4 &t) { t.variableBytes = 1000; }),
         "the header announces 1000 bytes of variable header but only 14 bytes follow it"},
        {"Type 4 block without its mark", type4([](Type4 &t) { t.variableHeader = type4Block(1, "ab"); t.variableHeader[0] = 0x56; }),
         "the variable header's block at byte 154 does not start with 0x55"},
        {"Type 4 block past the variable header", type4([](Type4 &t) { t.variableHeader = type4Block(1, "ab", 3); }),
         "the variable header's block at byte 154 runs past the variable header's end"},
        {"Type 4 NaN sample", type4([&](Type4 &t) { t.values[1] = nan; }), "sample 2 is not a number"},
        {"Type 4 infinite sample", type4([&](Type4 &t) { t.sampleType = 3; t.values[2] = -inf; }), "sample 3 is infinite"},
        {"Type 4 sample beyond float", type4([](Type4 &t) { t.sampleType = 3; t.values[0] = 1e300; }),
         "sample 1 is beyond the 32-bit float range"},
        {"SAC cut in its header", sac([](Sac &) {}).substr(0, 400), "the file ends inside its 632-byte header"},
        {"SAC spectrum", sac([](Sac &s) { s.iftype = 2; }), "is not a time series (IFTYPE 2); Sismavue reads time series only"},
        {"SAC uneven", sac([](Sac &s) { s.leven = 0; }), "is not evenly sampled (LEVEN 0)"},
        {"SAC displacement", sac([](Sac &s) { s.idep = 6; }), "holds displacement" + velocityOnly},
        {"SAC acceleration", sac([](Sac &s) { s.idep = 8; }), "holds acceleration" + velocityOnly},
        {"SAC volts", sac([](Sac &s) { s.idep = 50; s.bigEndian = true; }), "holds volts" + velocityOnly},
        {"SAC unknown quantity", sac([](Sac &s) { s.idep = 3; }), "holds an unknown quantity (IDEP 3)"},
        {"SAC interval 0", sac([](Sac &s) { s.delta = 0; }), "has an impossible sampling interval (DELTA 0 s)"},
        {"SAC negative interval", sac([](Sac &s) { s.delta = -0.01f; }),
         "has an impossible sampling interval (DELTA -0.009999999776482582 s)"},
        {"SAC rate between whole numbers", sac([](Sac &s) { s.delta = 0.01005f; }),
         "a sampling rate of 99.50249061611392 samples per second is not a whole number (within 0.1 %); the weighting works at whole rates"},
        {"SAC rate too low", sac([](Sac &s) { s.delta = 0.1f; }), "a sampling rate of 9.99999985098839" + tooLow},
        {"SAC no samples", sac([](Sac &s) { s.npts = -5; }), "the header announces -5 samples; there must be at least 1"},
        {"SAC count beyond the bytes", sac([](Sac &s) { s.npts = 4; }),
         "the header announces 4 samples (16 bytes) but only 12 bytes follow the header"},
        {"SAC NaN sample", sac([&](Sac &s) { s.values[0] = nan; }), "sample 1 is not a number"},
        {"SAC infinite sample", sac([&](Sac &s) { s.values[2] = inf; }), "sample 3 is infinite"},
        {"miniSEED cut inside its first record", steim.substr(0, 300), "the file ends inside the record at byte 0"},
        {"miniSEED followed by other bytes", steim + std::string(100, 'x'), "byte 1024 does not start a miniSEED record"},
        {"miniSEED record length beyond 1 MiB", patched(steim, 54, "\x1e"),
         "the record at byte 0 announces a length that does not fit: Record length is out of range: 1073741824 (allowed: 128 to 1048576)"},
        {"miniSEED record without blockette 1000", patched(patched(steim, 39, std::string(1, '\0')), 46, std::string(2, '\0')),
         "the record at byte 0 has no blockette 1000, which gives a record's length"},
        {"miniSEED int32 count beyond the record", patched(mseed([](MiniSeed &m) { m.encoding = DE_INT32; }), 30, "\x03\xe8"),
         "channel HHZ: the record at byte 0 announces 1000 samples, more than its 456 bytes of samples hold"},
        {"miniSEED Steim-2 count beyond the record", patched(mseed([](MiniSeed &) {}), 30, "\x03\xe8"),
         "channel HHZ: the record at byte 0 cannot be decoded: only decoded 3 samples of 1000 expected"},
        {"miniSEED Steim-2 first sample damaged", patched(mseed([](MiniSeed &) {}), 71, std::string(1, '\0')),
         "channel HHZ: the record at byte 0 is damaged: Data integrity check for Steim2 failed, Last sample=2, Xn=3"},
        {"miniSEED encoding not read", patched(mseed([](MiniSeed &) {}), 52, "\x0c"),
         "channel HHZ: the record at byte 0 holds samples in encoding 12 (GEOSCOPE Muxed 24 bit int), which Sismavue does not read"},
        {"miniSEED NaN sample", mseed([&](MiniSeed &m) { m.encoding = DE_FLOAT32; m.values[1] = nan; }),
         "channel HHZ: sample 2 is not a number"},
        {"miniSEED infinite sample", mseed([&](MiniSeed &m) { m.encoding = DE_FLOAT64; m.values[2] = -inf; }),
         "channel HHZ: sample 3 is infinite"},
        {"miniSEED rate too low", mseed([](MiniSeed &m) { m.rate = 10; }), "channel HHZ: a sampling rate of 10" + tooLow},
        {"miniSEED of text alone", mseed([](MiniSeed &m) { m.encoding = DE_ASCII; m.text = "clock locked"; }),
         "holds no samples: its records hold text, or nothing"},
    };
    // Read with their size unknown, the cut ones get as far as the cut.
    const Row cutRows[] = {
        {"Type 4 samples cut short", good4.substr(0, good4.size() - 7),
         "the file ends after 1 of 3 samples"},
        {"Type 4 without its CRC", good4.substr(0, good4.size() - 2), "the file ends before its CRC"},
        {"Type 4 variable header cut short", type4([](Type4 &t) { t.variableHeader = type4Block(1, std::string(50, 'x')); }).substr(0, 180),
         "the file ends inside its variable header"},
        {"SAC samples cut short", sac([](Sac &s) { s.npts = 5; }), "the file ends after 3 of 5 samples"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(describe(parseRecord(row.bytes, "record")), "record: " + row.reason);
    }
    for (const Row &row : cutRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(describe(readFromPipe(row.bytes, {})), "record: " + row.reason);
    }

    // Damage in a channel's last record leaves that record out, with a
    // warning; damage in any other record still refuses the channel.
    const std::string damage = "Data integrity check for Steim2 failed, Last sample=0, Xn=5";
    ReadResult lastDamaged = readEveryWay(patched(steim, 512 + 71, std::string(1, '\0')));
    ASSERT_TRUE(std::holds_alternative<Record>(lastDamaged)) << describe(lastDamaged);
    const Record &kept = std::get<Record>(lastDamaged);
    EXPECT_GT(kept.sampleCount, 0);
    EXPECT_LT(kept.sampleCount, 1000);
    EXPECT_EQ(std::count(kept.samples.begin() + 1, kept.samples.end(), 5.0f), kept.sampleCount);
    EXPECT_EQ(kept.warnings, std::vector<std::string>{"the record at byte 512 is damaged: " + damage +
                                                      "; as the channel's last record it is left out, and the " +
                                                      std::to_string(kept.sampleCount) + " samples before it are read"});
    EXPECT_EQ(describe(parseRecord(patched(steim, 71, std::string(1, '\0')), "record")),
              "record: channel HHZ: the record at byte 0 is damaged: " + damage);
    // So does a file cut inside its last record, or inside that record's header.
    for (const size_t cut : {812, 530}) {
        SCOPED_TRACE(cut);
        ReadResult read = readEveryWay(steim.substr(0, cut));
        ASSERT_TRUE(std::holds_alternative<Record>(read)) << describe(read);
        const Record &before = std::get<Record>(read);
        EXPECT_EQ(before.sampleCount, kept.sampleCount);
        EXPECT_EQ(before.warnings, std::vector<std::string>{"the file ends inside the record at byte 512; as the "
                                                            "channel's last record it is left out, and the " +
                                                            std::to_string(kept.sampleCount) + " samples before it are read"});
    }

    ReadOptions tiny;
    tiny.sensitivity.given = 1e-40;
    EXPECT_EQ(describe(parseRecord(header(1) + "1\r\n", "record", tiny)),
              "record: sample 1 is beyond the 32-bit float range once divided by the sensitivity 1e-40");
}

TEST(RecordReader, FormatIsToldByContentAloneAndTextIsTheRest)
{
    const auto patched = [](std::string bytes, size_t at, std::string_view with) {
        return bytes.replace(at, with.size(), with);
    };
    Sac sac;
    sac.values = {1};
    MiniSeed miniSeed;
    miniSeed.values = {1};
    std::string versionOnly(308, ' ');
    put<int32_t>(versionOnly, 304, 6, true);
    struct Row { const char *name; std::string head; std::string format; };
    const Row rows[] = {
        {"Type 4", "PSNTYPE4", "PSN Type 4"},
        {"volume", "PSNVOLUME1", "PSN volume"},
        {"SAC", sac.bytes(), "SAC"},
        {"header version 6, big-endian, after text", versionOnly, "SAC"},
        {"PSN text", header(3), "PSN text"},
        {"lower case", "psntype4", "PSN text"},
        {"too short to hold a version", std::string(307, '\x06'), "PSN text"},
        {"miniSEED", miniSeed.bytes(), "miniSEED"},
        {"miniSEED whose data hold the SAC version", patched(miniSeed.bytes(), 304, versionOnly.substr(304)),
         "miniSEED"},
        {"a record header's start alone", "000001D ", "PSN text"},
        {"empty", "", "PSN text"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(recogniseRecord(std::string_view(row.head).substr(0, recogniseBytes)).name, row.format);
    }
}

namespace {

// What the entries of a file list, and what reading each gives: its label,
// channel code, sample count, start time and last value, or its error.
std::vector<std::string> entriesOf(const std::string &file, std::optional<std::string> channel = {})
{
    ReadOptions options;
    options.channel = channel;
    ByteInput input(file);
    OpenResult opened = openRecord(input, "record", options);
    if (const auto *error = std::get_if<LoadError>(&opened))
        return {error->message()};
    OpenedRecord &record = std::get<OpenedRecord>(opened);
    std::vector<std::string> seen;
    for (size_t e = 0; e < record.entries().size(); ++e) {
        const RecordEntry &entry = record.entries()[e];
        ReadResult read = record.read(e);
        const auto *r = std::get_if<Record>(&read);
        if (!r) {
            seen.push_back(describe(read));
            continue;
        }
        EXPECT_EQ(r->sampleCount, entry.sampleCount);
        EXPECT_EQ(r->startTime, entry.info.startTime);
        seen.push_back(entryLabel(entry) + " " + r->channel + " " + std::to_string(r->sampleCount) + " from " +
                       (r->startTime ? isoTimeText(*r->startTime) : "none") + " of " +
                       cText(r->samples.back(), std::chars_format::fixed, 6));
    }
    return seen;
}

} // namespace

TEST(RecordReader, ChannelsOfAMiniSeedFileAreReadApartInFileOrder)
{
    const auto channel = [](const char *code, float value, const char *station = "BGLD") {
        MiniSeed m;
        m.station = station;
        m.channel = code;
        m.values = std::vector<double>(2000, value);
        return m.bytes();
    };
    MiniSeed damaged;
    damaged.channel = "EHE";
    damaged.encoding = DE_FLOAT32;
    damaged.values = std::vector<double>(2000, 3);
    damaged.values[5] = std::numeric_limits<double>::quiet_NaN();
    // Recorded side by side, a record of each channel in turn.
    const std::string file = interleaved({channel("EHN", 1), channel("EHZ", 2), damaged.bytes()});
    using Seen = std::vector<std::string>;
    const std::string start = " from 2024-03-01T10:00:00.000000Z";
    EXPECT_EQ(entriesOf(file), (Seen{"EHN EHN 2000" + start + " of 1.000000", "EHZ EHZ 2000" + start + " of 2.000000",
                                     "record: channel EHE: sample 6 is not a number"}));
    EXPECT_EQ(entriesOf(file, "EHZ"), Seen{"EHZ EHZ 2000" + start + " of 2.000000"});
    EXPECT_EQ(entriesOf(file, "XX.BGLD..EHZ"), Seen{"EHZ EHZ 2000" + start + " of 2.000000"});
    EXPECT_EQ(entriesOf(file, "HHZ"), Seen{"record: holds no channel HHZ; its channels: EHN, EHZ, EHE"});
    EXPECT_EQ(describe(parseRecord(file, "record")),
              "record: holds several channels (EHN, EHZ, EHE); one must be chosen");

    // A code two stations share names neither.
    const std::string twoStations = interleaved({channel("EHZ", 1, "AAA"), channel("EHZ", 2, "BBB")});
    EXPECT_EQ(entriesOf(twoStations, "EHZ"),
              Seen{"record: holds several channels EHZ (XX.AAA..EHZ, XX.BBB..EHZ); name one as NET.STA.LOC.CHA"});
    EXPECT_EQ(entriesOf(twoStations)[1], "XX.BBB..EHZ EHZ 2000" + start + " of 2.000000");
}

// A record that does not start where the channel's last one ended, within
// half a sample, or at another rate, starts a new piece with its own start
// time; nothing fills a gap.
TEST(RecordReader, MiniSeedChannelsAreReadInContinuousPieces)
{
    // A second run of records after the first's 100 samples (1 s).
    const auto twoRuns = [&](double startsLate, double rate) {
        MiniSeed m;
        m.values = std::vector<double>(100, 7);
        m.channel = "HHZ";
        std::string bytes = m.bytes();
        m.start += static_cast<hptime_t>(std::llround((1 + startsLate) * HPTMODULUS));
        m.rate = rate;
        m.values = std::vector<double>(50, 8);
        return bytes + m.bytes();
    };
    using Seen = std::vector<std::string>;
    struct Row { const char *name; std::string bytes; Seen seen; };
    const std::string first = "piece 1 of 2 HHZ 100 from 2024-03-01T10:00:00.000000Z of 7.000000";
    const Row rows[] = {
        {"a gap of 2 s", twoRuns(2, 100),
         {first, "piece 2 of 2 HHZ 50 from 2024-03-01T10:00:03.000000Z of 8.000000"}},
        {"an overlap of 0.5 s", twoRuns(-0.5, 100),
         {first, "piece 2 of 2 HHZ 50 from 2024-03-01T10:00:00.500000Z of 8.000000"}},
        {"the rate changing", twoRuns(0, 50),
         {first, "piece 2 of 2 HHZ 50 from 2024-03-01T10:00:01.000000Z of 8.000000"}},
        {"late by less than half a sample", twoRuns(0.0049, 100),
         {" HHZ 150 from 2024-03-01T10:00:00.000000Z of 8.000000"}},
        {"late by more than half a sample", twoRuns(0.0051, 100),
         {first, "piece 2 of 2 HHZ 50 from 2024-03-01T10:00:01.005100Z of 8.000000"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(entriesOf(row.bytes), row.seen);
    }
}

// Each format gives the time of its first sample, written here with a
// known time; a file that does not say gives none.
TEST(RecordReader, RecordsTellTheirStartTime)
{
    Type4 type4;
    type4.values = {1, 2, 3};
    type4.time = {2008, 1, 1, 0, 0, 0, 435000000};
    Type4 untimed = type4;
    untimed.time = {};
    Sac sac;
    sac.values = {1, 2, 3};
    sac.reference = {2008, 366, 23, 59, 59, 900};
    sac.begin = 0.125f;
    Sac unreferenced;
    unreferenced.values = {1, 2, 3};
    MiniSeed mseed;
    mseed.values = {1, 2, 3};
    mseed.start = ms_time2hptime(2008, 1, 0, 0, 0, 435000);
    const std::string count = "Number of Samples: 1\r\nSPS: 100\r\n";
    struct Row { const char *name; std::string bytes; std::string start; };
    const Row rows[] = {
        {"Type 4", type4.bytes(), "2008-01-01T00:00:00.435000Z"},
        {"Type 4 without a date", untimed.bytes(), "none"},
        {"SAC: its reference time and B", sac.bytes(), "2009-01-01T00:00:00.025000Z"},
        {"SAC without a reference time", unreferenced.bytes(), "none"},
        {"miniSEED", mseed.bytes(), "2008-01-01T00:00:00.435000Z"},
        {"PSN text", count + "Start Time: 2008/01/01 00:00:00.435\r\nData:\r\n1", "2008-01-01T00:00:00.435000Z"},
        {"PSN text without a fraction", count + "Start Time: 2024/02/29 23:59:58 \r\nData:\r\n1",
         "2024-02-29T23:59:58.000000Z"},
        {"PSN text of an impossible date", count + "Start Time: 2023/02/29 00:00:00\r\nData:\r\n1", "none"},
        {"PSN text of another layout", count + "Start Time: 01.01.2008 00:00:00\r\nData:\r\n1", "none"},
        {"PSN text without the line", count + "Data:\r\n1", "none"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const ReadResult read = readEveryWay(row.bytes);
        const auto *record = std::get_if<Record>(&read);
        ASSERT_NE(record, nullptr) << describe(read);
        EXPECT_EQ(record->startTime ? isoTimeText(*record->startTime) : "none", row.start);
    }
}
