#!/usr/bin/python3
"""Independent model of sismavue-report.

Usage:
    reference.py [--segment START:END] FILE...
    reference.py --spectrum [--segment START:END] FILE

Prints exactly what sismavue-report prints.  Every value that the program
keeps as a 32-bit float is rounded to float32 at the same point here, every
running sum is accumulated one addition at a time in file order (the sums of
the values and of the squares in double, the spectrum's lines in float32),
and all other arithmetic is done in double with the same operation order,
so the printed texts must agree byte for byte.

Scalar transcendental functions come from the math module (the C library),
never from numpy's vectorised versions, whose last bit may differ.
"""

import math
import os
import re
import sys
from decimal import Decimal, ROUND_HALF_UP, ROUND_HALF_EVEN, localcontext

import numpy as np

F32 = np.float32
F64 = np.float64

FFT_SIZE = 2048
HOP = 512
LINES = 1024
FFT_PI = 3.14159265
LINE_SCALE = 0.5 / 0.426 / 1024
MICRO = 1000000.0


# ---------------------------------------------------------------------------
# Number texts


def fmt_decimals(value, decimals):
    """Pattern with at most `decimals` decimals ("###0.##" is 2).

    The exact binary value is rounded half away from zero; trailing zero
    decimals are dropped and the point is always written."""
    with localcontext() as ctx:
        ctx.prec = 400
        q = Decimal(float(value)).quantize(Decimal(1).scaleb(-decimals),
                                           rounding=ROUND_HALF_UP)
        text = format(q, "f")
    if "." in text:
        text = text.rstrip("0")
    else:
        text += "."
    return text


def fmt2(value):
    return fmt_decimals(value, 2)


def fmt4(value):
    return fmt_decimals(value, 4)


def fmt6(value):
    return fmt_decimals(value, 6)


def str_int(value):
    """Plain integer conversion: a blank before a value >= 0."""
    return (" %d" % value) if value >= 0 else ("%d" % value)


# ---------------------------------------------------------------------------
# Reading a record

def header_number(text):
    """Number of a header line, rounded to an integer, ties to even.

    Blanks and tabs anywhere are skipped; reading stops at the first
    character that cannot continue the number; no number gives 0."""
    text = text.replace(" ", "").replace("\t", "")
    m = re.match(r"([+-]?)([0-9]*)(?:\.([0-9]*))?", text)
    sign, whole, frac = m.group(1), m.group(2), m.group(3) or ""
    if not whole and not frac:
        return 0
    exponent = 0
    e = re.match(r"[Ee]([+-]?[0-9]+)", text[m.end():])
    if e:
        exponent = int(e.group(1))
    value = Decimal(sign + (whole or "0") + "." + (frac or "0")).scaleb(exponent)
    return int(value.to_integral_value(rounding=ROUND_HALF_EVEN))


def to_float32(tokens):
    """Decimal texts to float32, each correctly rounded from its exact value.

    float() rounds correctly to double; the second rounding to float32 can
    only go wrong when the double lies exactly half-way between two float32
    values, and those few cases are settled against the exact decimal."""
    d = np.array([_token_value(t) for t in tokens], dtype=F64)
    f = d.astype(F32)
    back = f.astype(F64)
    off = np.nonzero(back != d)[0]
    if off.size:
        up = d[off] > back[off]
        other = np.where(up, np.nextafter(f[off], F32(np.inf)),
                         np.nextafter(f[off], F32(-np.inf)))
        mid = (back[off] + other.astype(F64)) / 2
        for idx in np.nonzero(mid == d[off])[0]:
            i = off[idx]
            exact = Decimal(tokens[i])
            if exact != Decimal(float(d[i])):
                toward = exact > Decimal(float(d[i]))
                # The exact value lies beyond the midpoint on one side.
                f[i] = max(f[i], other[idx]) if toward else min(f[i], other[idx])
    return f


def _token_value(token):
    try:
        return float(Decimal(token))
    except Exception:
        return 0.0


class Record:
    """Header values and the samples as read (float32, index 0 holds 0)."""

    def __init__(self):
        self.count = 0
        self.rate = 0
        self.station = b""
        self.component = b""
        self.raw = None


def read_psn(data):
    """Parse the bytes of a PSN text event file."""
    rec = Record()
    lines = data.split(b"\n")
    pos = 0
    while True:
        if pos >= len(lines) or (pos == len(lines) - 1 and lines[pos] == b""):
            raise EOFError("end of file before the Data: line")
        line = lines[pos]
        pos += 1
        if line.endswith(b"\r"):
            line = line[:-1]
        text = line.decode("latin-1")
        if text[:17] == "Number of Samples" and len(text) >= 17:
            rec.count = header_number(text[19:])
        if text[:4] == "SPS:" and len(text) >= 4:
            rec.rate = header_number(text[5:])
        if text[:13] == "Station Code:" and len(text) >= 13:
            rec.station = line[14:]
        if text[:15] == "Component Name:" and len(text) >= 15:
            rec.component = line[16:]
        if text[:5] == "Data:" and len(text) >= 5:
            break
    rest = b"\n".join(lines[pos:]).decode("latin-1")
    tokens = [t for t in re.split(r"[,\s]+", rest) if t != ""]
    if len(tokens) < rec.count:
        raise EOFError("input past end of file")
    rec.raw = to_float32(tokens[:rec.count])
    return rec


# ---------------------------------------------------------------------------
# Load: mean removal, weighting filter, slow level, whole-record figures


def design_filter(rate):
    """Coefficients (alpha, beta, gamma) of the 2 Hz weighting filter."""
    pi = 4 * math.atan(1)
    theta = 2 * pi * 2 / rate
    t = math.tan((theta / 2) / 0.35)
    d = 2 * t / math.sin(theta)
    half = (d / 2) * math.sin(theta)
    beta = 0.5 * (1 - half) / (1 + half)
    gamma = (0.5 + beta) * math.cos(theta)
    alpha = (0.5 + beta + gamma) / 4
    return alpha, beta, gamma


def run_filter(inputs, rate):
    """Filter outputs, float32, for a sequence of double inputs."""
    alpha, beta, gamma = design_filter(rate)
    out = np.zeros(len(inputs), dtype=F32)
    x1 = x2 = 0.0
    y1 = y2 = 0.0
    for i, x0 in enumerate(inputs.tolist() if hasattr(inputs, "tolist") else inputs):
        y = 2 * (alpha * (x0 - 2 * x1 + x2) + gamma * y1 - beta * y2)
        out[i] = y
        x2 = x1
        x1 = x0
        y2 = y1
        y1 = float(out[i])
    return out


def slow_levels(weighted, rate):
    """Running Slow level in dB (float32); -inf while the mean square is 0."""
    dt = 1 / rate
    s = dt * math.exp(-dt / 2)
    r2 = math.pow(1e-9, 2)
    ln10 = math.log(10)
    levels = np.empty(len(weighted), dtype=F32)
    m = 0.0
    log = math.log
    vals = []
    for y in weighted.tolist():
        m = m * (1 - s) + y * s * y
        vals.append(10 * log(m / r2) / ln10 - 29 if m > 0 else -math.inf)
    levels[:] = np.array(vals, dtype=F64)
    return levels


class Loaded:
    """What the load leaves: samples and levels 0..N, whole-record figures."""


def load(rec):
    n = rec.count
    if n <= 0:
        raise ZeroDivisionError("no samples")
    if rec.rate == 0:
        raise ZeroDivisionError("sample rate 0")
    raw = rec.raw
    # One double addition each, in file order.
    total = float(np.add.accumulate(raw.astype(F64))[-1])
    mean = total / n
    x0 = raw.astype(F64) - mean
    samples = np.zeros(n + 1, dtype=F32)
    samples[1:] = x0
    squares = (x0 * x0).astype(F32)
    max_sq = max(F32(0), squares.max())
    sum_sq = np.add.accumulate(squares.astype(F64))[-1]

    weighted = run_filter(x0, rec.rate)
    levels = np.zeros(n + 1, dtype=F32)
    levels[1:] = slow_levels(weighted, rec.rate)

    out = Loaded()
    out.count = n
    out.rate = rec.rate
    out.samples = samples
    out.levels = levels
    out.peak = F32(math.sqrt(float(max_sq)))
    out.rms = math.sqrt(float(sum_sq) / n)
    out.law = max_level(levels[1:])
    return out


def max_level(levels):
    """Largest level, starting from 0 (so never below 0)."""
    top = F32(0)
    if len(levels):
        m = levels.max()
        if m > top:
            top = m
    return top


def segment_stats(ld, start, end):
    """Peak (double), RMS and Law over samples[start..end]."""
    seg = ld.samples[start:end + 1]
    squares = (seg.astype(F64) * seg.astype(F64)).astype(F32)
    max_sq = F32(0)
    sum_sq = 0.0
    if len(squares):
        max_sq = max(max_sq, squares.max())
        sum_sq = np.add.accumulate(squares.astype(F64))[-1]
    peak = math.sqrt(float(max_sq))
    rms = math.sqrt(float(sum_sq) / (end - start + 1))
    law = max_level(ld.levels[start:end + 1])
    return peak, rms, law


# ---------------------------------------------------------------------------
# FFT and the segment spectrum

_plan_cache = {}


def _fft_plan(n):
    """Bit-reversal permutation and per-stage butterfly tables for size n."""
    if n in _plan_cache:
        return _plan_cache[n]
    order = list(range(n))
    nd2 = round(n / 2)
    stages = round(math.log(n) / math.log(2))
    j = nd2
    for i in range(1, n - 1):
        if i < j:
            order[i], order[j] = order[j], order[i]
        k = nd2
        while k <= j:
            j -= k
            k //= 2
        j += k
    stage_tables = []
    for l in range(1, stages + 1):
        le = int(2.0 ** l)
        le2 = le // 2
        sr = math.cos(FFT_PI / le2)
        si = -math.sin(FFT_PI / le2)
        ur, ui = 1.0, 0.0
        tw_r = []
        tw_i = []
        for _ in range(le2):
            tw_r.append(ur)
            tw_i.append(ui)
            ur, ui = ur * sr - ui * si, ur * si + ui * sr
        # Butterfly top indices: for twiddle j, i = j-1, j-1+le, ...
        top = (np.arange(le2)[:, None] + le * np.arange(n // le)[None, :])
        ur_arr = np.repeat(np.array(tw_r, dtype=F64), n // le)
        ui_arr = np.repeat(np.array(tw_i, dtype=F64), n // le)
        top = top.reshape(-1)
        stage_tables.append((top, top + le2, ur_arr, ui_arr))
    plan = (np.array(order), stage_tables)
    _plan_cache[n] = plan
    return plan


def fft(re_part, im_part):
    """In-place radix-2 transform of float32 arrays shaped (..., n).

    Leading axes are independent transforms done side by side.  Within a
    stage no two butterflies share a point, so doing all of them at once
    gives exactly the values of the one-at-a-time loop."""
    n = re_part.shape[-1]
    if n < 2:
        return
    order, stage_tables = _fft_plan(n)
    re_part[...] = re_part[..., order]
    im_part[...] = im_part[..., order]
    for top, bot, ur, ui in stage_tables:
        rb = re_part[..., bot].astype(F64)
        ib = im_part[..., bot].astype(F64)
        tr = rb * ur - ib * ui
        ti = rb * ui + ib * ur
        rt = re_part[..., top].astype(F64)
        it = im_part[..., top].astype(F64)
        re_part[..., bot] = (rt - tr).astype(F32)
        im_part[..., bot] = (it - ti).astype(F32)
        re_part[..., top] = (rt + tr).astype(F32)
        im_part[..., top] = (it + ti).astype(F32)


_window_cache = []


def hann_window():
    if not _window_cache:
        step = 2 * FFT_PI / 2048
        _window_cache.append(np.array(
            [(1 - math.cos(t * step)) * 0.5 for t in range(FFT_SIZE)],
            dtype=F64).astype(F32))
    return _window_cache[0]


def block_count(start, end):
    b = start
    k = 0
    while True:
        k += 1
        b += HOP
        if b + FFT_SIZE > end:
            return k


def spectrum(samples, start, end):
    """Averaged amplitude spectrum (1024 float32 lines) and the peak line.

    Sample indices past the end of the record count as 0."""
    w = hann_window()
    count = block_count(start, end)
    starts = start + HOP * np.arange(count)
    idx = starts[:, None] + np.arange(FFT_SIZE)[None, :]
    padded = np.zeros(int(idx.max()) + 1, dtype=F32)
    avail = min(len(samples), len(padded))
    padded[:avail] = samples[:avail]
    block = padded[idx]
    re_part = (block.astype(F64) * w.astype(F64)).astype(F32)
    im_part = np.zeros_like(re_part)
    fft(re_part, im_part)
    acc = np.zeros(LINES, dtype=F32)
    for k in range(count):
        a = re_part[k, :LINES].astype(F64) * LINE_SCALE
        d = im_part[k, :LINES].astype(F64) * LINE_SCALE
        acc = ((acc.astype(F64) + a * a) + d * d).astype(F32)
    lines = np.sqrt(acc.astype(F64) / count).astype(F32)
    peak_line = 0
    peak = F32(0)
    top = lines.max()
    if top > peak:
        peak_line = int(np.argmax(lines))   # first of equal maxima
    return lines, peak_line


# ---------------------------------------------------------------------------
# Report


def resolve_segment(segment, n):
    """Clamped, ordered (start, end), or None for the whole record."""
    if segment is None:
        return None
    s, e = segment
    s = min(max(s, 1), n)
    e = min(max(e, 1), n)
    if e < s:
        s, e = e, s
    if s == e:
        return None
    return s, e


class Reporter:
    """Keeps loaded records so that repeated runs on one file read it once."""

    def __init__(self):
        self._cache = {}

    def loaded(self, path):
        if path not in self._cache:
            with open(path, "rb") as f:
                rec = read_psn(f.read())
            self._cache[path] = (rec, load(rec))
        return self._cache[path]

    def row(self, path, segment):
        rec, ld = self.loaded(path)
        seg = resolve_segment(segment, ld.count)
        if seg is None:
            start_text, end_text = "0", str_int(ld.count)
            peak, rms, law = float(ld.peak), ld.rms, ld.law
            s, e = 0, ld.count
        else:
            s, e = seg
            start_text, end_text = str_int(s), str_int(e)
            peak, rms, law = segment_stats(ld, s, e)
        _, k_peak = spectrum(ld.samples, s, e)
        fmax = k_peak * ld.rate / 2048
        fields = [os.fsencode(path), rec.station,
                  rec.component] + [x.encode("ascii") for x in (
                      start_text, end_text, fmt2(peak * MICRO),
                      fmt2(rms * MICRO), fmt2(float(law)), fmt2(fmax))]
        return b"\t".join(fields) + b"\n"

    def spectrum_text(self, path, segment):
        _, ld = self.loaded(path)
        seg = resolve_segment(segment, ld.count)
        s, e = (0, ld.count) if seg is None else seg
        lines, _ = spectrum(ld.samples, s, e)
        out = ["Freq. (Hz)\tVelocity (\u00b5m/s)\n"]
        for k in range(LINES):
            out.append(fmt4(k * ld.rate / 2048) + "\t"
                       + fmt6(float(lines[k]) * MICRO) + "\n")
        return "".join(out).encode("utf-8")

    def run(self, argv):
        """Output bytes of one command line (arguments after the name)."""
        spectrum_mode = False
        segment = None
        files = []
        args = list(argv)
        while args:
            a = args.pop(0)
            if a == "--spectrum":
                spectrum_mode = True
            elif a == "--segment":
                s, e = args.pop(0).split(":")
                segment = (int(s), int(e))
            else:
                files.append(a)
        if spectrum_mode:
            return self.spectrum_text(files[0], segment)
        out = [b"File\tLabel\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max\n"]
        for path in files:
            out.append(self.row(path, segment))
        return b"".join(out)


def main(argv):
    sys.stdout.buffer.write(Reporter().run(argv))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
