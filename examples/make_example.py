#!/usr/bin/env python3
"""Writes examples/example.psn: 40 s of ground velocity at 100 samples/s with
a passing heavy vehicle at 12 s and a smaller impact at 29 s. Deterministic:
the same file every time."""

import math
import random
import sys

RATE = 100
SECONDS = 40


def velocity(rng):
    samples = []
    for i in range(RATE * SECONDS):
        t = i / RATE
        v = rng.gauss(0, 4e-6)                       # background, about 4 um/s
        v += 3e-6 * math.sin(2 * math.pi * 0.7 * t)  # slow ground sway
        if t >= 12:                                   # heavy vehicle, 11 Hz and 4 Hz
            a = t - 12
            envelope = (a / 1.2) * math.exp(1 - a / 1.2)
            v += 9e-4 * envelope * math.sin(2 * math.pi * 11.3 * a)
            v += 3e-4 * envelope * math.sin(2 * math.pi * 4.1 * a + 0.6)
        if t >= 29:                                   # impact, ringing at 17 Hz
            a = t - 29
            v += 4e-4 * math.exp(-a / 0.35) * math.sin(2 * math.pi * 17.2 * a)
        samples.append(v)
    return samples


def main(path):
    rng = random.Random(20261207)
    samples = velocity(rng)
    with open(path, "w", newline="") as f:
        lines = [
            "Start Time: 2026/03/14 10:21:07.000",
            f"Number of Samples: {len(samples)}",
            f"SPS: {RATE}",
            "Station Code: SISMA01",
            "Component Name: Z",
            "Sensor Type: geophone 4.5 Hz",
            "Units: m/s",
            "Data:",
        ]
        lines += [f"{v:.6e}" for v in samples]
        f.write("\r\n".join(lines) + "\r\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/example.psn")
