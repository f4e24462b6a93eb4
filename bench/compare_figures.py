#!/usr/bin/env python3
"""Checks that the Python pipeline prints the same figures as sismavue-report
for one record, so that its time is a fair yardstick:

    compare_figures.py REPORT_OUTPUT PYTHON_OUTPUT RATE

Label, ID, start and end must be equal; max peak and RMS within 0.01 %,
Law,max,Slow within 0.05 dB, Freq.max within one spectrum line (RATE / 2048
Hz). Prints "yes" or "no" and the reason; exits 1 on "no".
"""

import sys


def row(path):
    with open(path) as f:
        lines = f.read().splitlines()
    if len(lines) != 2:
        sys.exit(f"no: {path} holds {len(lines)} lines, not a header and one row")
    return lines[1].split("\t")[1:]


def main(report_path, python_path, rate):
    ours, theirs = row(report_path), row(python_path)
    problems = []
    if len(ours) != 8 or len(theirs) != 8:
        problems.append("not eight fields after the path")
    else:
        if ours[:4] != theirs[:4]:
            problems.append(f"label, ID, start, end {ours[:4]} against {theirs[:4]}")
        peak, rms, law, freq = (float(v) for v in ours[4:])
        p_peak, p_rms, p_law, p_freq = (float(v) for v in theirs[4:])
        if abs(peak - p_peak) > 1e-4 * abs(peak) + 0.01:
            problems.append(f"max peak {peak} against {p_peak}")
        if abs(rms - p_rms) > 1e-4 * abs(rms) + 0.01:
            problems.append(f"RMS {rms} against {p_rms}")
        if abs(law - p_law) > 0.05:
            problems.append(f"Law,max,Slow {law} against {p_law}")
        if abs(freq - p_freq) > rate / 2048 + 0.01:
            problems.append(f"Freq.max {freq} against {p_freq}")
    if problems:
        print("no: " + "; ".join(problems))
        sys.exit(1)
    print("yes")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: compare_figures.py REPORT_OUTPUT PYTHON_OUTPUT RATE")
    main(sys.argv[1], sys.argv[2], float(sys.argv[3]))
