#!/usr/bin/env python3
"""The figures of sismavue-report for one record, computed the way a Python
user would write it with NumPy and SciPy: the yardstick the report's whole
process is timed against.

    /usr/bin/python3 bench/python_pipeline.py FILE

Prints the report's header and one row: path, station code, component name,
start 0, end N, max peak and RMS (um/s), Law,max,Slow (dB) and the frequency
of the largest spectrum line (Hz). The figures are computed in 64-bit from
values that the report keeps in 32-bit, so they agree with the report's
closely, not to the bit.
"""

import math
import sys

import numpy as np
from scipy import signal


def read(path):
    """Header fields, then every data line with numpy.loadtxt."""
    fields = {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            key, _, value = line.partition(":")
            if key == "Data":
                break
            fields[key] = value.strip()
        samples = np.loadtxt(f, dtype=np.float64)
    return fields, np.atleast_1d(samples)


def weighting(rate):
    """The 2 Hz high-pass weighting (Q = 0.35) as lfilter coefficients."""
    theta = 2 * math.pi * 2 / rate
    t = math.tan((theta / 2) / 0.35)
    d = 2 * t / math.sin(theta)
    beta = 0.5 * (1 - (d / 2) * math.sin(theta)) / (1 + (d / 2) * math.sin(theta))
    gamma = (0.5 + beta) * math.cos(theta)
    alpha = (0.5 + beta + gamma) / 4
    return [2 * alpha, -4 * alpha, 2 * alpha], [1, -2 * gamma, 2 * beta]


def figures(x, rate):
    x = x - x.mean()
    b, a = weighting(rate)
    y = signal.lfilter(b, a, x)
    # Slow level: exponential averaging of y^2 with a 1 s time constant.
    dt = 1 / rate
    s = dt * math.exp(-dt / 2)
    m = signal.lfilter([s], [1, -(1 - s)], y * y)
    with np.errstate(divide="ignore"):
        level = 10 * np.log10(m / 1e-18) - 29
    law = max(float(level.max()), 0.0)
    peak = float(np.abs(x).max())
    rms = math.sqrt(float(np.mean(x * x)))
    nperseg = min(2048, len(x))
    f, p = signal.welch(x, fs=rate, window="hann", nperseg=nperseg,
                        noverlap=nperseg * 3 // 4, detrend=False)
    freq = float(f[int(np.argmax(p[:1024]))])
    return peak, rms, law, freq


def main(path):
    fields, x = read(path)
    rate = int(round(float(fields["SPS"])))
    peak, rms, law, freq = figures(x, rate)
    print("File\tLabel\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max")
    print(f"{path}\t{fields.get('Station Code', '')}\t{fields.get('Component Name', '')}"
          f"\t0\t {len(x)}\t{peak * 1e6:.2f}\t{rms * 1e6:.2f}\t{law:.2f}\t{freq:.2f}")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: python_pipeline.py FILE")
    main(sys.argv[1])
