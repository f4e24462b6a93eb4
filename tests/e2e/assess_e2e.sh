#!/usr/bin/env bash
# End to end through the real window and its assessment window under a
# private X server: three components of one station in three files, named
# for nothing they hold; `sismavue --assess` on the vertical one must show
# the assessment window with the other two found; after Ctrl+W, Ctrl+E in
# the main window must open it again; the building line changed with the
# keyboard (Alt+B, Down) and Ctrl+C must give exactly the rows of
# sismavue-report --assess din4150-3 --building sensitive for the three files.
#
# Usage: assess_e2e.sh [--screenshot FILE] SISMAVUE REPORT
# With --screenshot the assessment window is saved to FILE as PNG after the
# copy. SISMAVUE_E2E_SCALE=2 does it on a screen of twice the density.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
tmp="$(mktemp -d)"
# shellcheck source=xsession.sh
. "$here/xsession.sh"
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

screenshot=""
if [ "${1:-}" = "--screenshot" ]; then
  screenshot="$2"
  shift 2
fi
[ $# -eq 2 ] || fail "usage: $0 [--screenshot FILE] SISMAVUE REPORT"
sismavue="$1" report="$2"
need_tools Xvfb xdotool xclip xwd convert timeout python3

# A minute at 500 samples/s of each component: a faint hum, and at 20 s a
# 2 s burst (Z 12 Hz 1.2 mm/s, N 6 Hz 4.1 mm/s, E 35 Hz 2.5 mm/s).
mkdir -p "$tmp/records"
python3 - "$tmp/records" <<'PY'
import math, os, sys
n, rate = 30000, 500
for name, code, hz, mmps in (("first", "HHZ", 12, 1.2), ("second", "HHN", 6, 4.1), ("third", "HHE", 35, 2.5)):
    lines = ["Number of Samples: %d" % n, "SPS: %d" % rate, "Station Code: E2E", "Component Name: " + code, "Data:"]
    for i in range(n):
        t = i / rate
        v = 3e-6 * math.sin(2 * math.pi * 50 * t + len(code) * i)
        if 20 <= t < 22:
            v += mmps / 1000 * math.sin(math.pi * (t - 20) / 2) ** 2 * math.sin(2 * math.pi * hz * t)
        lines.append("%.7g" % v)
    open(os.path.join(sys.argv[1], name + ".txt"), "w").write("\r\n".join(lines) + "\r\n")
PY
records=("$tmp/records/first.txt" "$tmp/records/second.txt" "$tmp/records/third.txt")

# assess_window : the id of the visible assessment window, waited for.
assess_window() {
  local _ id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^Assessment' 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

start_x
start_window "$sismavue" --assess "${records[0]}"
assess_id=$(assess_window)
[ -n "$assess_id" ] || fail "sismavue --assess showed no window named Assessment"
title=$(xdotool getwindowname "$assess_id")
[ "$title" = "Assessment — E2E" ] || fail "the assessment window is titled '$title'"
xdotool windowfocus --sync "$assess_id" key ctrl+w
for _ in $(seq 50); do
  [ -z "$(xdotool search --onlyvisible --name '^Assessment' 2>/dev/null)" ] && break
  sleep 0.1
done
[ -z "$(xdotool search --onlyvisible --name '^Assessment' 2>/dev/null)" ] || fail "Ctrl+W left the assessment window open"

xdotool mousemove --window "$window_id" 5 5 click 1 windowfocus --sync "$window_id" key ctrl+e
assess_id=$(assess_window)
[ -n "$assess_id" ] || fail "Ctrl+E showed no window named Assessment"
xdotool windowsize --sync "$assess_id" $((1000 * scale)) $((740 * scale))
expected=$("$report" --assess din4150-3 --building sensitive "${records[@]}") ||
  fail "sismavue-report --assess failed"
# Until the figures are current Copy gives nothing; the first try may come
# before the companions are found.
printf '' | xclip -selection clipboard
xdotool windowfocus --sync "$assess_id" key alt+b key Down
copied=""
for _ in $(seq 50); do
  sleep 0.2
  xdotool windowfocus --sync "$assess_id" key ctrl+c
  copied=$(clipboard)
  [ -n "$copied" ] && break
done
[ -n "$copied" ] || fail "Ctrl+C put nothing on the clipboard"
[ "$copied" = "$expected" ] || fail "Copy differs from the report's rows:
  window: $(printf '%s' "$copied" | cat -A)
  report: $(printf '%s' "$expected" | cat -A)"
if [ -n "$screenshot" ]; then
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$assess_id" | grep -E '^[XYWIDTHEG]+=')"
  xwd -root -silent | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "png:$screenshot" ||
    fail "could not take a screenshot"
  echo "screenshot written to $screenshot"
fi
echo "PASS: Ctrl+E opened the assessment of three files found by content, and Ctrl+C copied the report's rows"
