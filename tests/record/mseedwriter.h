#pragma once

// miniSEED records for the tests, packed by libmseed itself.

#include <libmseed.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The records of one channel. Fields left alone give Steim-2 records of
// 512 bytes, big-endian, at 100 samples per second from 2024-03-01 10:00.
struct MiniSeed {
    std::vector<double> values;   // packed as 32-bit integers, floats or doubles by the encoding
    std::string network = "XX", station = "BGLD", location = "", channel = "EHZ";
    int encoding = DE_STEIM2;     // DE_ASCII packs `text` instead
    std::string text;
    double rate = 100;
    hptime_t start = ms_time2hptime(2024, 61, 10, 0, 0, 0);
    int recordLength = 512;
    bool bigEndian = true;

    std::string bytes() const
    {
        std::vector<int32_t> ints;
        std::vector<float> floats;
        std::vector<double> doubles = values;
        std::vector<char> chars(text.begin(), text.end());
        const bool integers = encoding != DE_FLOAT32 && encoding != DE_FLOAT64 && encoding != DE_ASCII;
        for (double v : values) {
            // NaN and infinity only go into floats: as an int32 they are undefined.
            if (integers)
                ints.push_back(static_cast<int32_t>(v));
            floats.push_back(static_cast<float>(v));
        }
        MSRecord *msr = msr_init(nullptr);
        std::strncpy(msr->network, network.c_str(), sizeof msr->network - 1);
        std::strncpy(msr->station, station.c_str(), sizeof msr->station - 1);
        std::strncpy(msr->location, location.c_str(), sizeof msr->location - 1);
        std::strncpy(msr->channel, channel.c_str(), sizeof msr->channel - 1);
        msr->dataquality = 'D';
        msr->starttime = start;
        msr->samprate = rate;
        msr->encoding = static_cast<int8_t>(encoding);
        msr->byteorder = bigEndian ? 1 : 0;
        msr->reclen = recordLength;
        switch (encoding) {
        case DE_ASCII: msr->datasamples = chars.data(), msr->numsamples = static_cast<int64_t>(chars.size()), msr->sampletype = 'a'; break;
        case DE_FLOAT32: msr->datasamples = floats.data(), msr->numsamples = static_cast<int64_t>(floats.size()), msr->sampletype = 'f'; break;
        case DE_FLOAT64: msr->datasamples = doubles.data(), msr->numsamples = static_cast<int64_t>(doubles.size()), msr->sampletype = 'd'; break;
        default: msr->datasamples = ints.data(), msr->numsamples = static_cast<int64_t>(ints.size()), msr->sampletype = 'i';
        }
        std::string out;
        int64_t packed = 0;
        msr_pack(msr, [](char *record, int length, void *into) { static_cast<std::string *>(into)->append(record, static_cast<size_t>(length)); },
                 &out, &packed, 1, 0);
        msr->datasamples = nullptr;   // ours, not the library's to free
        msr_free(&msr);
        return out;
    }
};

// The records of several channels' files taken in turn, one record of each
// (all `length` bytes long), as recorders write channels side by side.
inline std::string interleaved(const std::vector<std::string> &files, size_t length = 512)
{
    std::string out;
    for (size_t at = 0;; at += length) {
        bool any = false;
        for (const std::string &file : files)
            if (at < file.size()) {
                out += file.substr(at, length);
                any = true;
            }
        if (!any)
            return out;
    }
}
