#include "record/binary/crc.h"

#include "../recordwriters.h"

#include <gtest/gtest.h>

#include <string>

// The published check value of CRC-16/XMODEM, and the eight-bytes-at-once
// tables against the bit-by-bit definition, whatever the pieces.
TEST(Crc, GivesThePublishedCheckValueAndTheBitByBitCrcInAnyPieces)
{
    EXPECT_EQ(addToCrc(0, "123456789", 9), 0x31C3);
    EXPECT_EQ(addToCrc(0, "", 0), 0);
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += static_cast<char>((i * 167 + i / 7) & 0xFF);
    for (size_t piece : {1, 3, 7, 8, 9, 1000}) {
        SCOPED_TRACE(piece);
        uint16_t crc = 0;
        for (size_t at = 0; at < bytes.size(); at += piece)
            crc = addToCrc(crc, bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(crc, xmodemCrc(bytes));
    }
}
