#!/usr/bin/env python3
"""Checks a screenshot of the window's client area after a segment has been
selected and its spectrum computed:

- waveform view: the band of the segment, cyan drawn exclusive-or over the
  plot, so red over the white ground and cyan over the black trace, spanning
  the segment's columns and the whole height, and nothing of it left
  elsewhere (a band that was not removed exactly during the drag shows here);
- level view: the 71 dB line, green, at 39/110 of the height from the top;
- spectrum view: black vertical lines standing on the bottom edge, the
  tallest one reaching the top at the frequency the window reports.

Usage: check_screenshot.py SHOT N RATE START END FMAX [SCALE]
(START, END, FMAX as the window copied them; SCALE the screen's pixel
ratio, 1 when not given)."""

import subprocess
import sys

import numpy as np

TWIPS = 15.0  # per layout pixel
SCALE = 1     # device pixels per layout pixel
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
RED = (255, 0, 0)
CYAN = (0, 255, 255)
GREEN = (0, 255, 0)


def read_image(path):
    ppm = subprocess.run(["convert", path, "ppm:-"], check=True, capture_output=True).stdout
    # P6, width, height, maxval, one whitespace, then the bytes.
    fields = []
    pos = 0
    while len(fields) < 4:
        while ppm[pos:pos + 1].isspace():
            pos += 1
        if ppm[pos:pos + 1] == b"#":
            pos = ppm.index(b"\n", pos)
            continue
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end
    magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if magic != b"P6" or maxval != 255:
        raise SystemExit(f"unexpected image format {magic!r} {maxval}")
    pixels = np.frombuffer(ppm, dtype=np.uint8, count=width * height * 3, offset=pos + 1)
    return pixels.reshape(height, width, 3)


class View:
    """A picture view's pixels, from its layout position in twips, with the
    edges rounded to whole layout pixels, then at the screen's ratio."""

    def __init__(self, image, name, left, top, width, height):
        self.name = name
        self.x0, self.y0 = round(left / TWIPS) * SCALE, round(top / TWIPS) * SCALE
        self.x1 = round((left + width) / TWIPS) * SCALE
        self.y1 = round((top + height) / TWIPS) * SCALE
        self.width_px = width / TWIPS * SCALE
        self.height_px = height / TWIPS * SCALE
        self.pixels = image[self.y0:self.y1, self.x0:self.x1]

    def mask(self, colour):
        return np.all(self.pixels == np.array(colour, dtype=np.uint8), axis=2)


failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def colours_in(pixels, limit=4):
    values, counts = np.unique(pixels.reshape(-1, 3), axis=0, return_counts=True)
    order = np.argsort(-counts)[:limit]
    return ", ".join(f"RGB{tuple(int(c) for c in values[i])} x{counts[i]}" for i in order)


def check_band(view, n, start, end):
    red = view.mask(RED)
    cyan = view.mask(CYAN)
    expected = (start / n * view.width_px, end / n * view.width_px)
    red_columns = np.flatnonzero(red.any(axis=0))
    if not check(red_columns.size > 0,
                 f"{view.name}: no red RGB(255,0,0) band pixels; the band area shows "
                 f"{colours_in(view.pixels[:, int(expected[0]) + 2:int(expected[1]) - 1])} "
                 "(cyan exclusive-or over a white ground gives red)"):
        return
    first, last = int(red_columns[0]), int(red_columns[-1])
    check(abs(first - expected[0]) <= 2 and abs(last - expected[1]) <= 2,
          f"{view.name}: band spans pixel columns {first}..{last}, "
          f"samples {start}..{end} of {n} lie at {expected[0]:.1f}..{expected[1]:.1f}")
    inside = view.pixels[:, first:last + 1]
    xor_only = red[:, first:last + 1] | cyan[:, first:last + 1]
    check(xor_only.all(),
          f"{view.name}: {int((~xor_only).sum())} pixels of the band are neither red nor cyan: "
          f"{colours_in(inside[~xor_only])}")
    check(cyan[:, first:last + 1].any(),
          f"{view.name}: no cyan in the band, so the trace under it is missing")
    outside = np.ones(red.shape[1], dtype=bool)
    outside[max(0, first - 1):last + 2] = False
    stray = (red | cyan)[:, outside]
    check(not stray.any(),
          f"{view.name}: {int(stray.sum())} red or cyan pixels outside the band "
          "(a band drawn during the drag was not removed exactly)")
    check(view.mask(BLACK)[:, outside].sum() > 100,
          f"{view.name}: no waveform outside the band")


def check_threshold_line(view):
    green = view.mask(GREEN)
    per_row = green.sum(axis=1)
    row = int(np.argmax(per_row))
    width = green.shape[1]
    expected = 39 / 110 * view.height_px
    if not check(per_row[row] >= 0.8 * width,
                 f"{view.name}: no green RGB(0,255,0) line across the view; "
                 f"best row has {int(per_row[row])} of {width} pixels"):
        return
    check(abs(row - expected) <= 2,
          f"{view.name}: the 71 dB line is at row {row}, expected {expected:.1f} from the top")
    # One device pixel thick, also on a screen of a higher density.
    others = np.delete(per_row, row)
    check(others.max(initial=0) < 0.1 * width,
          f"{view.name}: green beyond the one threshold line, one pixel thick")


def check_spectrum(view, rate, fmax):
    black = view.mask(BLACK)
    height = black.shape[0]
    columns = np.flatnonzero(black.any(axis=0))
    if not check(columns.size >= 20,
                 f"{view.name}: {columns.size} columns with black lines, expected a spectrum; "
                 f"the view shows {colours_in(view.pixels)}"):
        return
    runs = []
    broken, floating = [], []
    for c in columns:
        rows = np.flatnonzero(black[:, c])
        top, bottom = int(rows[0]), int(rows[-1])
        if rows.size != bottom - top + 1:
            broken.append(int(c))
        if bottom < height - 2:
            floating.append(int(c))
        runs.append((bottom - top + 1, int(c)))
    check(not broken, f"{view.name}: columns {broken[:10]} hold black pixels that are not "
          "one vertical line")
    check(not floating, f"{view.name}: lines in columns {floating[:10]} do not stand on the "
          f"bottom edge (row {height - 1})")
    tallest, column = max(runs)
    check(tallest >= height - 3,
          f"{view.name}: the tallest line is {tallest} of {height} pixels; the largest line "
          "reaches the top")
    peak_line = round(fmax * 2048 / rate)
    expected = peak_line / 1024 * view.width_px
    peak_columns = [c for h, c in runs if h >= height - 3]
    check(any(abs(c - expected) <= 2 for c in peak_columns),
          f"{view.name}: full-height lines in columns {peak_columns}, but the largest line "
          f"{peak_line} ({fmax} Hz) lies at column {expected:.1f}")


def main():
    global SCALE
    if len(sys.argv) not in (7, 8):
        raise SystemExit(__doc__)
    shot = sys.argv[1]
    n, rate, start, end = (int(a) for a in sys.argv[2:6])
    fmax = float(sys.argv[6])
    scale = SCALE = int(sys.argv[7]) if len(sys.argv) == 8 else 1
    image = read_image(shot)
    if image.shape[:2] != (555 * scale, 686 * scale):
        raise SystemExit(f"{shot}: {image.shape[1]} x {image.shape[0]} pixels, "
                         f"expected {686 * scale} x {555 * scale}")
    check_band(View(image, "waveform view", 2760, 1120, 7452, 2256), n, start, end)
    check_threshold_line(View(image, "level view", 2760, 3400, 7452, 2256))
    check_spectrum(View(image, "spectrum view", 2760, 5760, 7452, 2256), rate, fmax)
    for f in dict.fromkeys(failures):
        print(f"FAIL: {f}", file=sys.stderr)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
