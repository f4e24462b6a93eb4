#!/usr/bin/env python3
"""The assessment of one component as a Python user would write it with
NumPy and SciPy: the yardstick sismavue-report --assess is timed against.

    /usr/bin/python3 bench/python_assess.py din4150-3|din4150-2 FILE

DIN 4150-3: the band-limited velocity (two-pole high-pass at 0.8 Hz, two-pole
low-pass at 100 Hz, bilinear with prewarped corners, `scipy.signal.sosfilt`),
its peak in mm/s, the zero-crossing frequency around the peak and the largest
line of the Hann-windowed spectrum of the 10 s around it, the guideline
value of dwellings at the foundation. DIN 4150-2: the KB weighting (one more
first-order high-pass at 5.6 Hz), the running RMS with tau = 0.125 s, the
largest of each 30 s cycle, KB_FTm and KB_FTr of a day. Prints the figures on
one line; 64-bit throughout, so they agree with the report's closely, not to
the bit.
"""

import math
import sys

import numpy as np
from scipy import signal

from python_pipeline import read


def band(rate, kb=False):
    """Second-order sections of the band limitation (and the KB weighting)."""
    sos = [signal.butter(2, 0.8, "highpass", fs=rate, output="sos")]
    if 100 < 0.45 * rate:
        sos.append(signal.butter(2, 100, "lowpass", fs=rate, output="sos"))
    if kb:
        sos.append(signal.butter(1, 5.6, "highpass", fs=rate, output="sos"))
    return np.vstack(sos)


def velocity(rate, samples, kb=False):
    return signal.sosfilt(band(rate, kb), (samples - samples.mean()) * 1000.0)


def dwelling_limit(f):
    if f < 1:
        return math.nan
    if f <= 10:
        return 5.0
    if f <= 50:
        return 5 + (f - 10) * 10 / 40
    return 15 + (min(f, 100) - 50) * 5 / 50


def structures(rate, samples):
    v = velocity(rate, samples)
    peak = int(np.argmax(np.abs(v)))
    sign = np.signbit(v)
    crossings = np.flatnonzero(sign[1:] != sign[:-1])
    before, after = crossings[crossings < peak], crossings[crossings >= peak]
    f_zero = math.nan
    if len(before) and len(after):
        def at(i):
            return i + v[i] / (v[i] - v[i + 1])
        f_zero = 1 / (2 * (at(after[0]) - at(before[-1])) / rate)
    half = int(5 * rate)
    lo = max(0, min(peak - half, len(v) - 2 * half))
    event = v[lo:lo + 2 * half] * np.hanning(min(2 * half, len(v)))
    n = 1 << (len(event) - 1).bit_length()
    power = np.abs(np.fft.rfft(event, n)) ** 2
    freqs = np.fft.rfftfreq(n, 1 / rate)
    lines = np.flatnonzero((freqs >= 1) & (freqs <= min(100, rate / 2)))
    f_spectrum = freqs[lines[np.argmax(power[lines])]]
    limit = min(dwelling_limit(f_zero), dwelling_limit(f_spectrum))
    ppv = abs(v[peak])
    return "%.6f %.6f %.6f %.6f %.6f" % (ppv, f_zero, f_spectrum, limit, ppv / limit)


def people(rate, samples):
    kb = velocity(rate, samples, kb=True)
    alpha = 1 - math.exp(-1 / (0.125 * rate))
    mean_square = signal.lfilter([alpha], [1, alpha - 1], kb * kb)
    kb_f = np.sqrt(mean_square)
    cycle = int(30 * rate)
    whole = len(kb_f) // cycle
    cycles = kb_f[:whole * cycle].reshape(whole, cycle).max(axis=1) if whole else np.array([])
    counted = np.where(cycles > 0.1, cycles, 0.0)
    kb_ftm = math.sqrt(np.mean(counted ** 2)) if whole else math.nan
    exposure = min(len(samples) / rate / 3600, 16)
    kb_ftr = math.sqrt(exposure / 16) * kb_ftm
    return "%.6f %.6f %.6f %d" % (kb_f.max(), kb_ftm, kb_ftr, whole)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("din4150-3", "din4150-2"):
        sys.exit("usage: python_assess.py din4150-3|din4150-2 FILE")
    fields, samples = read(sys.argv[2])
    rate = float(fields["SPS"])
    print((structures if sys.argv[1] == "din4150-3" else people)(rate, samples))


if __name__ == "__main__":
    main()
