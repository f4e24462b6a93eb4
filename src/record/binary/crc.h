#pragma once

#include <cstddef>
#include <cstdint>

// The CRC-16/XMODEM (polynomial 0x1021, initial 0, not reflected, no final
// XOR) of `crc`'s bytes followed by bytes[0..count). Of "123456789" from 0
// it is 0x31C3.
uint16_t addToCrc(uint16_t crc, const char *bytes, size_t count);
