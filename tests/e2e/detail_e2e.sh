#!/usr/bin/env bash
# End to end through the real window and its detail window under a private
# X server: open a record with two bursts, Ctrl+D, three wheel notches in
# the detail's waveform view, a drag and a Shift+drag there; the main
# window's Start and End boxes ("Copy All") must then hold the samples under
# the Shift+drag's ends, and its row the report's for that segment.
#
# Usage: detail_e2e.sh [--screenshot FILE] SISMAVUE REPORT
# With --screenshot the detail window is saved to FILE as PNG after the
# Shift+drag. SISMAVUE_E2E_SCALE=2 does it on a screen of twice the density.
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
need_tools Xvfb xdotool xclip xwd convert timeout
python=$(numpy_python) || fail "no python3 with numpy (the python3-numpy package installs it)"
command4=(1320 4560 972 372) # Copy All

# Ten minutes at 100 samples/s, bursts at 100 s and 400 s.
record="$tmp/bursts.psn"
"$python" - "$record" <<'PY'
import math, sys
n = 60000
lines = ["Number of Samples: %d" % n, "SPS: 100", "Station Code: E2E", "Component Name: Z", "Data:"]
for i in range(1, n + 1):
    t = (i - 1) / 100
    v = 2e-6 * math.sin(i * 1.3)
    for at in (100, 400):
        if at <= t < at + 3:
            v += 8e-4 * math.sin((t - at) * math.pi / 3) * math.sin(2 * math.pi * 9 * t)
    lines.append("%.7g" % v)
open(sys.argv[1], "w").write("\r\n".join(lines) + "\r\n")
PY

start_x
start_window "$sismavue" "$record"
xdotool mousemove --window "$window_id" 5 5 click 1 windowfocus --sync "$window_id" key ctrl+d
detail_id=""
for _ in $(seq 100); do
  detail_id=$(xdotool search --onlyvisible --name '^Detail' 2>/dev/null | head -n 1)
  [ -n "$detail_id" ] && break
  sleep 0.1
done
[ -n "$detail_id" ] || fail "Ctrl+D showed no window named Detail"
title=$(xdotool getwindowname "$detail_id")
[ "$title" = "Detail — E2E Z" ] || fail "the detail window is titled '$title'"
xdotool windowsize --sync "$detail_id" $((900 * scale)) $((500 * scale))
sleep 0.5

# The views' left edge and width, from the 71 dB line across the level view.
shot_detail() {
  eval "$(xdotool getwindowgeometry --shell "$detail_id" | grep -E '^[XYWIDTHEG]+=')"
  xwd -root -silent | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "png:$1" ||
    fail "could not take a screenshot"
}
shot_detail "$tmp/detail.png"
read -r left width wave_y < <("$python" - "$tmp/detail.png" <<'PY'
import subprocess, sys
import numpy as np
ppm = subprocess.run(["convert", sys.argv[1], "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
size = subprocess.run(["identify", "-format", "%w %h", sys.argv[1]], check=True, capture_output=True).stdout.split()
w, h = int(size[0]), int(size[1])
image = np.frombuffer(ppm, np.uint8).reshape(h, w, 3).astype(int)
green = (image[:, :, 0] == 0) & (image[:, :, 1] == 255) & (image[:, :, 2] == 0)
row = int(green.sum(axis=1).argmax())
xs = np.nonzero(green[row])[0]
# Up from the line, the level view ends where its white ground does.
y = row
while y > 0 and tuple(image[y - 1, xs[0] + 2]) in ((255, 255, 255), (0, 0, 255)):
    y -= 1
print(xs[0], xs[-1] - xs[0] + 1, y - 30)
PY
)
[ -n "${width:-}" ] && [ "$width" -gt 200 ] || fail "no 71 dB line found in the detail window"

# Whole layout pixels: the toolkit hands the views no finer positions.
at() { "$python" -c "print(round(($left + $1 * $width) / $scale) * $scale)"; }
# Three notches up at 30 % of the width, a drag from 50 % to 60 %, then
# Shift+drag from 10 % to 25 %, over the first burst.
xdotool mousemove --window "$detail_id" "$(at 0.3)" "$wave_y" click 4 sleep 0.1 click 4 sleep 0.1 click 4
sleep 0.3
xdotool mousemove --window "$detail_id" "$(at 0.5)" "$wave_y" mousedown 1 sleep 0.1 \
  mousemove --window "$detail_id" "$(at 0.55)" "$wave_y" sleep 0.1 \
  mousemove --window "$detail_id" "$(at 0.6)" "$wave_y" sleep 0.1 mouseup 1
sleep 0.3
xdotool mousemove --window "$detail_id" "$(at 0.1)" "$wave_y" keydown shift mousedown 1 sleep 0.1 \
  mousemove --window "$detail_id" "$(at 0.2)" "$wave_y" sleep 0.1 \
  mousemove --window "$detail_id" "$(at 0.25)" "$wave_y" sleep 0.1 mouseup 1 keyup shift
sleep 0.5
if [ -n "$screenshot" ]; then
  shot_detail "$screenshot"
  echo "screenshot written to $screenshot"
fi

# Where the samples under the ends lie after the zoom and the drag: the
# position under the pointer stays where it is while zooming, and follows
# it while dragging.
read -r want_start want_end < <("$python" -c "
n = 60000; w = $width
px = lambda f: round(($left + f * w) / $scale) * $scale - $left
span = n * 0.8 ** 3
first = px(0.3) / w * n - px(0.3) / w * span
first -= (px(0.6) - px(0.5)) / w * span
ends = sorted(round(first + px(f) / w * span) + 1 for f in (0.1, 0.25))
print(*ends)")

xdotool windowunmap --sync "$detail_id"
xdotool mousemove --window "$window_id" "$(twips $((command4[0] + command4[2] / 2)))" \
  "$(twips $((command4[1] + command4[3] / 2)))" click 1
row=""
for _ in $(seq 50); do
  row=$(clipboard | tr '\r' '\n' | sed -n 2p)
  [ -n "$row" ] && break
  sleep 0.2
done
[ -n "$row" ] || fail "\"Copy All\" put nothing on the clipboard"
start=$(printf '%s' "$row" | cut -f3 | tr -d ' ') end=$(printf '%s' "$row" | cut -f4 | tr -d ' ')
near() { [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ]; }
near "$start" "$want_start" && near "$end" "$want_end" ||
  fail "Shift+drag in the detail window selected $start..$end, expected about $want_start..$want_end"
expected=$("$report" --segment "$start:$end" "$record" | sed -n 2p | cut -f2-)
[ "$row" = "${expected%$'\t'*}"$'\t' ] ||
  fail "the main window's row differs from the report's for $start:$end:
  window: $(printf '%s' "$row" | cat -A)
  report: $(printf '%s' "$expected" | cat -A)"
echo "PASS: the detail window's Shift+drag selected samples $start..$end in the main window"
