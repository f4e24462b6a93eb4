#!/usr/bin/env python3
"""Writes a folder of monitoring events for the monitoring report's memory
and speed: each a miniSEED file of three components (EHZ, EHN, EHE) of 32-bit
counts, one a minute from 2024-03-01 10:00 UTC, a burst of 6 to 42 Hz from
1 to 17 mm/s that varies from event to event (give --sensitivity 1e6:
counts per m/s).

    make_events.py FOLDER EVENTS [SECONDS [RATE]]    (60 s at 1000 samples/s)
"""

import math
import os
import struct
import sys


def channel_records(values, channel, start, rate, sequence):
    """512-byte records of plain 32-bit integers: the fixed header, blockette 1000, the samples."""
    out = []
    for first in range(0, len(values), 114):
        part = values[first:first + 114]
        micros = start * 1000000 + first * 1000000 // rate
        seconds, micros = divmod(micros, 1000000)
        day, second = divmod(seconds, 86400)
        header = b"%06dD " % (sequence + len(out)) + b"BGLD " + b"  " + channel + b"XX"
        header += struct.pack(">HHBBBBH", 2024, 61 + day, second // 3600, second // 60 % 60, second % 60, 0,
                              micros // 100)
        header += struct.pack(">HhhBBBBiHH", len(part), rate, 1, 0, 0, 0, 1, 0, 56, 48)
        header += struct.pack(">HHBBBB", 1000, 0, 3, 1, 9, 0)
        out.append((header + struct.pack(">%di" % len(part), *part)).ljust(512, b"\0"))
    return out


def main():
    folder, events = sys.argv[1], int(sys.argv[2])
    seconds = int(sys.argv[3]) if len(sys.argv) > 3 else 60
    rate = int(sys.argv[4]) if len(sys.argv) > 4 else 1000
    os.makedirs(folder, exist_ok=True)
    count = seconds * rate
    shapes = {}
    for e in range(events):
        hz = 6 + 9 * ((e * 7) % 5)
        if hz not in shapes:
            shapes[hz] = [math.sin(2 * math.pi * hz * i / rate) * math.exp(-((i - count / 2) / (0.4 * rate)) ** 2)
                          for i in range(count)]
        shape = shapes[hz]
        size = 1000 + 1600 * ((e * 37) % 11)   # counts: 1 to 17 mm/s at 1e6 counts per m/s
        records = []
        for k, channel in enumerate((b"EHZ", b"EHN", b"EHE")):
            values = [round(size * (1 - 0.2 * k) * v) for v in shape]
            records += channel_records(values, channel, 10 * 3600 + 60 * e, rate, len(records) + 1)
        with open(os.path.join(folder, "event%04d.mseed" % e), "wb") as f:
            f.write(b"".join(records))


if __name__ == "__main__":
    main()
