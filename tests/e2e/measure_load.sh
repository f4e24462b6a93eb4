#!/usr/bin/env bash
# Measures the window on a long record under a private X server (not a test:
# it prints numbers and passes no judgement).
#
# Usage: measure_load.sh SISMAVUE [SAMPLES|RECORD [RUNS]]
#   SAMPLES  record length, 1000000 by default (200 samples/s)
#   RECORD   an existing record file to open instead
#   RUNS     how many times to start the window, 3 by default
#
# Each run starts the window with the generated record on its command line,
# then presses "OK - compute FFT" with no segment selected, so the spectrum
# covers the whole record. It reports:
#   - the time from starting the program until the load has ended (the
#     record is drawn; the window is shown right after), until the first
#     frame is handed to the window system, and until the window is mapped
#     as the script sees it (polled every 0.1 s);
#   - during the load and during the spectrum, how often and at which longest
#     interval the window let pending events run: the intervals are from the
#     start of the operation to the first yield, between the end of one yield
#     and the start of the next, and from the last yield to the end;
#   - the window's peak resident memory (VmHWM) after the spectrum.
# With MEASURE_JSON=FILE it also appends one JSON object per run to FILE.
# With MEASURE_LOAD_ONLY=1 the record is one the window refuses: only its
# load is measured, up to the refusal, and no spectrum is asked for.
# The timings come from yieldlog.c, preloaded into the window; it needs a C
# compiler.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
tmp="$(mktemp -d)"
# shellcheck source=xsession.sh
. "$here/xsession.sh"
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

[ $# -ge 1 ] || fail "usage: $0 SISMAVUE [SAMPLES [RUNS]]"
sismavue="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
samples="${2:-1000000}"
runs="${3:-3}"
record=""
if [ -f "$samples" ]; then
  record="$(cd "$(dirname "$samples")" && pwd)/$(basename "$samples")"
fi
need_tools Xvfb xdotool xclip cc timeout python3
command1=(360 5040 1932 372) # OK - compute FFT

cc -O2 -shared -fPIC -o "$tmp/yieldlog.so" "$here/yieldlog.c" -ldl ||
  fail "could not build the timing probe"

# A long record: background noise with a passing vehicle every ten minutes.
[ -n "$record" ] || python3 - "$tmp/long.psn" "$samples" <<'EOF'
import math, random, sys
path, n, rate = sys.argv[1], int(sys.argv[2]), 200
rng = random.Random(1)
lines = [f"Number of Samples: {n}", f"SPS: {rate}", "Station Code: LONG01",
         "Component Name: Z", "Data:"]
for i in range(n):
    t = i / rate
    a = t % 600
    v = rng.gauss(0, 4e-6)
    if a < 30:
        v += 5e-4 * (a / 3) * math.exp(1 - a / 3) * math.sin(2 * math.pi * 11.3 * a)
    lines.append(f"{v:.6e}")
with open(path, "w", newline="") as f:
    f.write("\r\n".join(lines) + "\r\n")
EOF
if [ -n "$record" ]; then
  echo "record: $record, $(du -h "$record" | cut -f1)"
else
  record="$tmp/long.psn"
  echo "record: $samples samples at 200 samples/s, $(du -h "$record" | cut -f1)"
fi

start_x

# summarise LOG LAUNCHED MAPPED PEAK_KB : prints one run's figures.
summarise() {
  python3 - "$@" <<'EOF'
import json, os, sys
log, launched, mapped = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
peak_kb = int(sys.argv[4]) if sys.argv[4].isdigit() else None
notes = [(float(t), w) for t, w in (line.split() for line in open(log))]

def operations():
    """(start, end, yields) of each busy..idle stretch; yields as (in, out)."""
    ops, current, pending = [], None, None
    for t, w in notes:
        if w == "busy":
            current = (t, [])
        elif w == "yield" and current:
            pending = t
        elif w == "back" and current and pending is not None:
            current[1].append((pending, t))
            pending = None
        elif w == "idle" and current:
            ops.append((current[0], t, current[1]))
            current = None
    return ops

def gaps(start, end, yields):
    edges = [start] + [e for y in yields for e in y] + [end]
    return [edges[i + 1] - edges[i] for i in range(0, len(edges), 2)]

ops = operations()
show = next(t for t, w in notes if w == "show")
drawn = next((t for t, w in notes if w == "drawn"), None)
load_only = os.environ.get("MEASURE_LOAD_ONLY") == "1"
load = ops[0]
measured = (("load", load),) if load_only else (("load", load), ("spectrum", ops[1]))
print(f"  start -> load ended (record drawn): {1000 * (load[1] - launched):7.0f} ms"
      f"   (load itself {1000 * (load[1] - load[0]):.0f} ms)")
print(f"  start -> window shown:              {1000 * (show - launched):7.0f} ms")
if drawn is not None:
    print(f"  start -> first frame flushed:       {1000 * (drawn - launched):7.0f} ms")
print(f"  start -> window mapped (polled):    {1000 * (mapped - launched):7.0f} ms")
result = {"show_ms": 1000 * (show - launched),
          "drawn_ms": 1000 * ((drawn if drawn is not None else show) - launched),
          "peak_kb": peak_kb}
for name, (start, end, yields) in measured:
    g = sorted(gaps(start, end, yields))
    inside = sum(back - out for out, back in yields)
    edges = [start] + [e for y in yields for e in y]
    longest_at = edges[2 * gaps(start, end, yields).index(g[-1])] - start
    print(f"  {name:8s} {1000 * (end - start):6.0f} ms, {len(yields):4d} yields"
          f" ({1000 * inside:.0f} ms inside them),"
          f" longest gap {1000 * g[-1]:5.1f} ms (from {1000 * longest_at:.0f} ms),"
          f" median gap {1000 * g[len(g) // 2]:5.1f} ms")
    if len(yields) <= 12:
        print("           gaps in order (ms): "
              + " ".join(f"{1000 * x:.1f}" for x in gaps(start, end, yields)))
    result[name + "_ms"] = 1000 * (end - start)
    result[name + "_longest_gap_ms"] = 1000 * g[-1]
if peak_kb is not None:
    print(f"  peak memory (VmHWM):                {peak_kb / 1024:7.1f} MiB")
if os.environ.get("MEASURE_JSON"):
    with open(os.environ["MEASURE_JSON"], "a") as out:
        out.write(json.dumps(result) + "\n")
EOF
}

for run in $(seq "$runs"); do
  rm -f "$tmp/yields.log"
  launched=$(date +%s.%N)
  start_window env LD_PRELOAD="$tmp/yieldlog.so" YIELDLOG="$tmp/yields.log" \
    "$sismavue" "$record"
  mapped=$(date +%s.%N)
  operations=2
  if [ "${MEASURE_LOAD_ONLY:-0}" = 1 ]; then
    operations=1
  else
    click "${command1[@]}"
  fi
  for _ in $(seq 600); do
    [ "$(grep -c ' idle$' "$tmp/yields.log" 2>/dev/null)" -ge "$operations" ] && break
    sleep 0.1
  done
  [ "$(grep -c ' idle$' "$tmp/yields.log" 2>/dev/null)" -ge "$operations" ] ||
    fail "the load and spectrum did not finish within 60 s"
  peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$window_pid/status" 2>/dev/null)
  echo "run $run:"
  summarise "$tmp/yields.log" "$launched" "$mapped" "${peak_kb:-none}" ||
    fail "could not read the timings"
  stop "$window_pid"
  window_pid=""
done
