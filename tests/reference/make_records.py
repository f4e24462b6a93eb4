#!/usr/bin/python3
"""Deterministic PSN test records and the report command lines to run on them.

    make_records.py OUTDIR [--seed S] [--count N]

writes N records into OUTDIR and OUTDIR/cases.json, a list of argument
lists for sismavue-report (file names relative to OUTDIR).  The same seed
always gives the same files and cases.
"""

import argparse
import json
import math
import os
import random

import numpy as np

RATES = [12, 50, 100, 125, 200, 250, 1000]
LENGTHS = [1, 2, 3, 100, 1000, 2047, 2048, 2049, 2560, 3072, 5000, 30000]
CONTENTS = ["noise", "sines", "burst", "zero_leadin", "balanced_leadin",
            "constant", "dc_offset", "spike", "bin_sine"]
AMPLITUDES = [1e-20, 1e-9, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 0.3, 1.0, 250.0]
FORMATS = ["%.6e", "%.9g", "%.7g", "%.17g", "%.3g", "plain", "mixed"]


# ---------------------------------------------------------------------------
# Signals


def signal(rng, content, n, rate, amp):
    t = np.arange(n) / rate
    if content == "noise":
        return rng.normal(size=n) * amp
    if content == "sines":
        x = np.zeros(n)
        for _ in range(rng.integers(1, 4)):
            f = rng.uniform(0.2, rate / 2 * 0.95)
            x += rng.uniform(0.2, 1) * amp * np.sin(2 * np.pi * f * t + rng.uniform(0, 6.3))
        return x + rng.normal(size=n) * amp * 0.01
    if content == "bin_sine":
        # Whole cycles per 2048 samples: the energy sits on one line and its
        # neighbours, so the peak line is decided by close values.
        k = int(rng.integers(1, 1023))
        return amp * np.cos(2 * np.pi * k * np.arange(n) / 2048 + rng.uniform(0, 6.3))
    if content == "burst":
        x = rng.normal(size=n) * amp * 0.001
        for _ in range(rng.integers(1, 4)):
            onset = int(rng.integers(0, max(n, 1)))
            f = rng.uniform(1, rate / 2 * 0.8)
            tau = rng.uniform(0.05, 2.0)
            tt = t[onset:] - t[onset]
            x[onset:] += amp * np.exp(-tt / tau) * np.sin(2 * np.pi * f * tt)
        return x
    if content == "zero_leadin":
        x = rng.normal(size=n) * amp
        x[: int(n * rng.uniform(0.1, 0.7))] = 0
        return x
    if content == "balanced_leadin":
        # Zeros, then pairs v, -v: the running sum returns to exactly
        # 0 after every pair, so the mean is 0 and the lead-in stays silent
        # through the weighting filter.
        x = np.zeros(n)
        lead = int(n * rng.uniform(0.1, 0.7))
        pairs = (n - lead) // 2
        v = np.float32(rng.normal(size=pairs) * amp).astype(float)
        x[lead:lead + 2 * pairs:2] = v
        x[lead + 1:lead + 2 * pairs:2] = -v
        return x
    if content == "constant":
        return np.full(n, rng.choice([0.0, 0.5, 0.1, -3.3e-5, amp]))
    if content == "dc_offset":
        x = rng.normal(size=n) * amp * 0.1 + amp * np.sin(2 * np.pi * 3.3 * t)
        return x + amp * rng.choice([3.0, 100.0, -1000.0])
    if content == "spike":
        x = rng.normal(size=n) * amp * 1e-3
        x[int(rng.integers(0, n))] = amp * rng.choice([1, -1])
        return x
    raise ValueError(content)


def value_text(rng, fmt, v, amp):
    if fmt == "mixed":
        fmt = FORMATS[int(rng.integers(0, len(FORMATS) - 1))]
    if fmt == "plain":
        digits = max(0, min(30, 7 - int(math.floor(math.log10(amp)))))
        return "%.*f" % (digits, v)
    return fmt % v


# ---------------------------------------------------------------------------
# Files


def header_lines(rng, n, rate, index):
    station = "ST%02d" % (index % 100)
    component = ["HHZ", "HHN", "HHE", "EHZ", "BHZ"][index % 5]
    count_text = str(n)
    rate_text = str(rate)
    variant = rng.random()
    if variant < 0.05 and n >= 1000:
        count_text = "%d %03d" % (n // 1000, n % 1000)   # blank inside
    elif variant < 0.10:
        count_text = "%d.0" % n
    elif variant < 0.13:
        count_text = ("%d.5" if n % 2 == 0 else "%d.4") % n   # a tie goes to even
    if rng.random() < 0.08:
        rate_text = "%d.0" % rate
    lines = {
        "count": "Number of Samples: " + count_text,
        "rate": "SPS: " + rate_text,
        "station": "Station Code: " + station,
        "component": "Component Name: " + component,
    }
    r = rng.random()
    if r < 0.06:
        del lines["station"]
    elif r < 0.10:
        del lines["component"]
    elif r < 0.15:
        lines["station"] += "  "                          # trailing blanks kept
    elif r < 0.18:
        lines["station"] = "Station Code:"                # value position beyond the line
    others = ["PSN Text Event File", "Start Time: 2021/06/14 10:31:%02d.000" % (index % 60),
              "Sample Type: Float", "Latitude: 45.1234", "Longitude: 6.5432",
              "Sensor Type: L-4C", "Comment: test record %d" % index, ""]
    body = list(lines.values())
    rng.shuffle(body)
    extra = [others[int(i)] for i in rng.choice(len(others), size=int(rng.integers(0, 4)),
                                                replace=False)]
    out = [others[0]] + extra + body
    if rng.random() < 0.06:
        # A repeated key: the last one wins.
        out.insert(1, "SPS: 999")
        out.insert(1, "Station Code: OLD")
    return out


def write_record(path, rng, index, rate, n, content, amp, fmt):
    x = signal(rng, content, n, rate, amp)
    texts = [value_text(rng, fmt, float(v), amp) for v in x]
    layout = rng.random()
    if layout < 0.08:
        texts.extend(value_text(rng, fmt, float(v), amp) for v in rng.normal(size=3) * amp)
    if layout > 0.92 and len(texts) > 1:
        sep = [",", ", ", " "][int(rng.integers(0, 3))]
        per = int(rng.integers(2, 6))
        data = [sep.join(texts[i:i + per]) for i in range(0, len(texts), per)]
    else:
        data = texts
    lines = header_lines(rng, n, rate, index) + ["Data:"] + data
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


# ---------------------------------------------------------------------------
# Segments


def segments(rng, n):
    """A few START:END texts of varied kinds for a record of n samples."""
    def rand(lo, hi):
        return int(rng.integers(lo, hi + 1)) if hi >= lo else lo

    out = []
    kinds = ["inside", "reversed", "out_of_range", "equal", "short", "near_end",
             "exact_length", "outside_equal", "negative"]
    for kind in rng.choice(kinds, size=int(rng.integers(2, 4)), replace=False):
        if kind == "inside":
            s = rand(1, n)
            e = rand(s, n)
        elif kind == "reversed":
            e = rand(1, n)
            s = rand(e, n)
        elif kind == "out_of_range":
            s, e = 0, n + rand(1, 5000)
        elif kind == "equal":
            s = e = rand(1, n)
        elif kind == "short":
            s = rand(1, n)
            e = min(n, s + rand(1, 2000))
        elif kind == "near_end":
            s = rand(max(1, n - 2047), n)
            e = n
        elif kind == "exact_length":
            length = [2048, 2559, 2560, 3072][int(rng.integers(0, 4))]
            s = rand(1, max(1, n - length))
            e = s + length
        elif kind == "outside_equal":
            s, e = n + 10, n + 20          # both clamp to n
        else:
            s, e = -rand(1, 50), rand(1, n)
        out.append("%d:%d" % (s, e))
    return out


def plan(count, seed):
    """(file name, rate, length, content, amplitude, format) for each record."""
    rng = random.Random(seed)
    specs = []
    for i in range(count):
        rate = RATES[i % len(RATES)]
        # Every length early on, then mostly the shorter ones: the long
        # records are the slow ones.
        if i < len(LENGTHS):
            n = LENGTHS[i]
        else:
            n = rng.choice(LENGTHS[:-1] * 6 + LENGTHS[-1:])
        content = CONTENTS[i % len(CONTENTS)] if i < 3 * len(CONTENTS) else rng.choice(CONTENTS)
        amp = rng.choice(AMPLITUDES)
        fmt = FORMATS[i % len(FORMATS)]
        if amp < 1e-12 and fmt == "plain":
            fmt = "%.6e"
        # Now and then a blank in the name: the row prints the path as given.
        sep = " " if i % 40 == 5 else "_"
        specs.append(("rec%03d%s%s_r%d_n%d.txt" % (i, sep, content, rate, n), rate, n,
                      content, amp, fmt))
    return specs


def generate(outdir, seed=1, count=150):
    """Write the records and return the list of report argument lists."""
    os.makedirs(outdir, exist_ok=True)
    cases = []
    names = []
    for i, (name, rate, n, content, amp, fmt) in enumerate(plan(count, seed)):
        rng = np.random.default_rng([seed, i])
        write_record(os.path.join(outdir, name), rng, i, rate, n, content, amp, fmt)
        names.append(name)
        for seg in segments(rng, n):
            cases.append(["--segment", seg, name])
        if rng.random() < 0.5:
            cases.append(["--spectrum", name])
        if rng.random() < 0.4:
            cases.append(["--spectrum", "--segment", segments(rng, n)[0], name])
    # Whole-record rows, several files per run.
    for i in range(0, len(names), 5):
        cases.append(names[i:i + 5])
    # One segment applied to several records of different lengths at once.
    for i in range(0, len(names), 25):
        cases.append(["--segment", "500:4000"] + names[i:i + 7])
    with open(os.path.join(outdir, "cases.json"), "w") as f:
        json.dump(cases, f, indent=0)
    return cases


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("outdir")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=150)
    args = ap.parse_args()
    cases = generate(args.outdir, args.seed, args.count)
    print("%d records, %d cases in %s" % (args.count, len(cases), args.outdir))


if __name__ == "__main__":
    main()
