#!/usr/bin/python3
"""Runs sismavue-report and the reference model on generated records and
fails on the first byte that differs.

    compare.py --report PATH [--seed S] [--count N] [--keep DIR]
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import traceback

try:
    import numpy  # noqa: F401
except ImportError:
    sys.stderr.write(
        "reference comparison: numpy is not available to %s; install the "
        "Debian package python3-numpy\n" % sys.executable)
    sys.exit(1)

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True   # keep the source folder clean
sys.path.insert(0, HERE)
import make_records  # noqa: E402
import reference  # noqa: E402

MAX_REPORTED = 12
LINES_SHOWN = 4


def show(data):
    return data.decode("utf-8", "backslashreplace").replace("\t", "<TAB>")


def describe(args, want, got, err, rc):
    out = ["$ sismavue-report " + " ".join(args)]
    if rc != 0:
        out.append("  exit status %d; stderr: %s" % (rc, err.decode("utf-8", "replace").strip()))
    w = want.split(b"\n")
    g = got.split(b"\n")
    shown = 0
    for i in range(max(len(w), len(g))):
        a = w[i] if i < len(w) else b"<missing>"
        b = g[i] if i < len(g) else b"<missing>"
        if a != b:
            out.append("  line %d" % (i + 1))
            out.append("    expected: " + show(a))
            out.append("    got:      " + show(b))
            shown += 1
            if shown == LINES_SHOWN:
                break
    return "\n".join(out)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--report", required=True, help="sismavue-report executable")
    ap.add_argument("--seed", type=int, default=20240611)
    ap.add_argument("--count", type=int, default=150)
    ap.add_argument("--keep", help="write the records here and keep them")
    args = ap.parse_args()

    report = os.path.abspath(args.report)
    workdir = args.keep or tempfile.mkdtemp(prefix="sismavue-ref-")
    try:
        cases = make_records.generate(workdir, args.seed, args.count)
        os.chdir(workdir)
        model = reference.Reporter()
        passed = failed = 0
        for case in cases:
            proc = subprocess.run([report] + case, capture_output=True, timeout=120)
            try:
                want = model.run(case)
            except Exception:
                want = ("reference failed:\n" + traceback.format_exc()).encode()
            if proc.returncode == 0 and proc.stdout == want:
                passed += 1
                continue
            failed += 1
            if failed <= MAX_REPORTED:
                print(describe(case, want, proc.stdout, proc.stderr, proc.returncode))
        if failed > MAX_REPORTED:
            print("... %d more differing runs not shown" % (failed - MAX_REPORTED))
        if failed:
            print("records kept in %s" % workdir if args.keep else
                  "rerun with --keep DIR to keep the records")
        print("%d passed, %d failed" % (passed, failed))
        return 1 if failed else 0
    finally:
        if not args.keep:
            os.chdir("/")
            shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
