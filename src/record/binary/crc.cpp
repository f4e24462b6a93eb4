#include "record/binary/crc.h"

#include <array>

namespace {

// crcTables[k][x]: the CRC of byte x followed by k zero bytes, so that eight
// bytes are added with eight look-ups instead of eight rounds of one.
constexpr std::array<std::array<uint16_t, 256>, 8> crcTables = [] {
    std::array<std::array<uint16_t, 256>, 8> tables{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        uint16_t crc = static_cast<uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        tables[0][byte] = crc;
    }
    for (size_t k = 1; k < 8; ++k)
        for (unsigned byte = 0; byte < 256; ++byte) {
            const uint16_t before = tables[k - 1][byte];
            tables[k][byte] = static_cast<uint16_t>((before << 8) ^ tables[0][before >> 8]);
        }
    return tables;
}();

} // namespace

uint16_t addToCrc(uint16_t crc, const char *bytes, size_t count)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    const auto &t = crcTables;
    for (; count >= 8; count -= 8, p += 8)
        crc = t[7][p[0] ^ (crc >> 8)] ^ t[6][p[1] ^ (crc & 0xFF)] ^ t[5][p[2]] ^ t[4][p[3]] ^
              t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    for (; count > 0; --count, ++p)
        crc = static_cast<uint16_t>((crc << 8) ^ t[0][(crc >> 8) ^ *p]);
    return crc;
}
