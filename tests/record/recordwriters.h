#pragma once

// Tiny writers of PSN Type 4 and SAC files for the tests, written from the
// formats' layouts independently of the readers.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

// CRC-16/XMODEM bit by bit: polynomial 0x1021, initial 0, not reflected.
inline uint16_t xmodemCrc(const std::string &bytes)
{
    uint16_t crc = 0;
    for (unsigned char byte : bytes) {
        crc ^= static_cast<uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

// Puts `value` at `offset` of `bytes` in the given byte order.
template <class T>
void put(std::string &bytes, size_t offset, T value, bool bigEndian = false)
{
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof raw);
    for (size_t i = 0; i < sizeof raw; ++i)
        bytes[offset + i] = raw[bigEndian ? sizeof raw - 1 - i : i];
}

inline void putText(std::string &bytes, size_t offset, const std::string &text)
{
    bytes.replace(offset, text.size(), text);
}

// A PSN Type 4 event file. Fields left alone give a velocity record of
// float32 samples at 100 per second without a sensitivity, with its CRC.
struct Type4 {
    std::vector<double> values;
    int64_t count = -1;             // announced; -1: the number of values
    double rate = 100;
    uint32_t flags = 0;             // bit 0: no CRC
    uint8_t sampleType = 2;         // 0 int16, 1 int32, 2 float32, 3 float64
    uint8_t compression = 0;
    uint8_t sensorType = 2;         // 0 unknown, 1 acceleration, 2 velocity, 3 displacement
    std::string station = "ABC", component = "HHZ";
    double sensitivity = 0;         // cm/s per count
    std::string variableHeader;     // blocks, as bytes
    int64_t variableBytes = -1;     // announced; -1: the size of variableHeader
    int crcChange = 0;              // added to the CRC written
    // The date and time of the first sample; a month of 0 leaves it unset.
    struct Time {
        uint16_t year = 2024;
        uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
        uint32_t nanoseconds = 0;
    } time;

    std::string bytes() const
    {
        std::string b(154, '\0');
        putText(b, 0, "PSNTYPE4");
        put<uint32_t>(b, 8, static_cast<uint32_t>(variableBytes < 0 ? variableHeader.size() : variableBytes));
        put<uint16_t>(b, 12, time.year);
        b[14] = static_cast<char>(time.month);
        b[15] = static_cast<char>(time.day);
        b[16] = static_cast<char>(time.hour);
        b[17] = static_cast<char>(time.minute);
        b[18] = static_cast<char>(time.second);
        put<uint32_t>(b, 20, time.nanoseconds);
        put<double>(b, 32, rate);
        put<uint32_t>(b, 40, static_cast<uint32_t>(count < 0 ? values.size() : count));
        put<uint32_t>(b, 44, flags);
        b[52] = static_cast<char>(sampleType);
        b[53] = static_cast<char>(compression);
        b[71] = static_cast<char>(sensorType);
        putText(b, 96, station.substr(0, 6));
        putText(b, 102, component.substr(0, 4));
        put<double>(b, 112, sensitivity);
        put<int16_t>(b, 128, 24);
        b += variableHeader;
        for (double v : values) {
            std::string s(8, '\0');
            switch (sampleType) {
            case 0: put<int16_t>(s, 0, static_cast<int16_t>(v)); s.resize(2); break;
            case 1: put<int32_t>(s, 0, static_cast<int32_t>(v)); s.resize(4); break;
            case 3: put<double>(s, 0, v); break;
            default: put<float>(s, 0, static_cast<float>(v)); s.resize(4); break;
            }
            b += s;
        }
        if (!(flags & 1)) {
            std::string crc(2, '\0');
            put<uint16_t>(crc, 0, static_cast<uint16_t>(xmodemCrc(b) + crcChange));
            b += crc;
        }
        return b;
    }
};

// One variable-header block: 0x55, its id, its length and its data.
inline std::string type4Block(uint8_t id, const std::string &data, int64_t length = -1)
{
    std::string b(6, '\0');
    b[0] = 0x55;
    b[1] = static_cast<char>(id);
    put<uint32_t>(b, 2, static_cast<uint32_t>(length < 0 ? data.size() : length));
    return b + data;
}

// A SAC binary file. Fields left alone give an evenly sampled time series
// of counts at 100 per second, little-endian.
struct Sac {
    std::vector<float> values;
    bool bigEndian = false;
    float delta = 0.01f;
    std::optional<int32_t> npts;   // announced; none: the number of values
    int32_t iftype = 1, idep = 5, leven = 1, nvhdr = 6;
    std::string station = "ABC", component = "HHZ";
    // The reference time; none leaves its fields and B unset.
    struct Reference {
        int32_t year, dayOfYear, hour, minute, second, millisecond;
    };
    std::optional<Reference> reference;
    float begin = -12345.0f;   // B: the first sample's time after the reference, s

    std::string bytes() const
    {
        std::string b(632, '\0');
        for (size_t f = 0; f < 70; ++f)
            put<float>(b, 4 * f, -12345.0f, bigEndian);
        for (size_t i = 0; i < 40; ++i)
            put<int32_t>(b, 280 + 4 * i, -12345, bigEndian);
        for (size_t s = 440; s < 632; s += 8)
            putText(b, s, "-12345  ");
        put<float>(b, 0, delta, bigEndian);
        put<float>(b, 12, 1.0f, bigEndian);   // SCALE, which readers ignore
        put<float>(b, 20, begin, bigEndian);
        if (reference) {
            const int32_t fields[] = {reference->year, reference->dayOfYear, reference->hour,
                                      reference->minute, reference->second, reference->millisecond};
            for (size_t i = 0; i < 6; ++i)
                put<int32_t>(b, 280 + 4 * i, fields[i], bigEndian);
        }
        put<int32_t>(b, 304, nvhdr, bigEndian);
        put<int32_t>(b, 316, npts.value_or(static_cast<int32_t>(values.size())), bigEndian);
        put<int32_t>(b, 340, iftype, bigEndian);
        put<int32_t>(b, 344, idep, bigEndian);
        put<int32_t>(b, 420, leven, bigEndian);
        putText(b, 440, (station + "        ").substr(0, 8));
        putText(b, 600, (component + "        ").substr(0, 8));
        for (float v : values) {
            std::string s(4, '\0');
            put<float>(s, 0, v, bigEndian);
            b += s;
        }
        return b;
    }
};
