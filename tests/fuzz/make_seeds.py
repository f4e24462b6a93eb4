#!/usr/bin/env python3
"""Writes the binary seeds of the fuzz corpus into tests/data/corpus: small
PSN Type 4 and SAC records, good ones and a few broken ones, so that the
fuzzer starts from every part of their layouts. Deterministic."""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "..", "data", "corpus")


def crc_xmodem(data):
    crc = 0
    for byte in data:
        crc ^= byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else crc << 1
            crc &= 0xFFFF
    return crc


def counts(n):
    return [round(1000 * math.sin(i * 0.3)) + (5000 if i == n // 2 else 0) for i in range(n)]


def type4(values, sample_type=0, sensor=2, sensitivity=1e-4, rate=100.0, blocks=b"",
          no_crc=False, compression=0):
    header = bytearray(154)
    header[0:8] = b"PSNTYPE4"
    struct.pack_into("<I", header, 8, len(blocks))
    struct.pack_into("<HBBBBBB", header, 12, 2024, 5, 17, 10, 30, 0, 0)
    struct.pack_into("<d", header, 32, rate)
    struct.pack_into("<I", header, 40, len(values))
    struct.pack_into("<I", header, 44, 1 if no_crc else 0)
    header[52] = sample_type
    header[53] = compression
    header[71] = sensor
    header[96:102] = b"STA01\0"
    header[102:106] = b"HHZ\0"
    struct.pack_into("<d", header, 112, sensitivity)
    fmt = "<" + "hifd"[sample_type] * len(values)
    data = bytes(header) + blocks + struct.pack(fmt, *values)
    return data if no_crc else data + struct.pack("<H", crc_xmodem(data))


def block(ident, data):
    return struct.pack("<BBI", 0x55, ident, len(data)) + data


def sac(values, big=False, idep=5, delta=0.01, iftype=1, leven=1):
    order = ">" if big else "<"
    floats = [-12345.0] * 70
    floats[0] = delta
    ints = [-12345] * 40
    ints[6] = 6
    ints[9] = len(values)
    ints[15] = iftype
    ints[16] = idep
    ints[35] = leven
    texts = bytearray(b"-12345  " * 24)   # from byte 440
    texts[0:8] = b"STA01   "             # KSTNM
    texts[160:168] = b"HHZ     "         # KCMPNM, byte 600
    header = struct.pack(order + "70f", *floats) + struct.pack(order + "40i", *ints) + bytes(texts)
    assert len(header) == 632
    return header + struct.pack(order + "%df" % len(values), *values)


def main():
    seeds = {
        "valid-type4-int16.bin": type4(counts(40)),
        "valid-type4-float64-blocks.bin": type4([v * 1e-7 for v in counts(30)], sample_type=3, sensor=0,
                                                blocks=block(1, b"note") + block(0, b"") + b"\0\0"),
        "valid-type4-int32-no-crc.bin": type4(counts(25), sample_type=1, no_crc=True, rate=99.99),
        "broken-type4-float32-crc.bin": type4([float(v) for v in counts(20)], sample_type=2)[:-1] + b"\0",
        "broken-type4-compressed.bin": type4(counts(10), compression=1),
        "valid-sac-little.bin": sac([float(v) for v in counts(40)]),
        "valid-sac-big-nms.bin": sac([float(v) for v in counts(30)], big=True, idep=7),
        "broken-sac-uneven.bin": sac([1.0, 2.0], leven=0),
    }
    for name, data in seeds.items():
        with open(os.path.join(CORPUS, name), "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
