#!/usr/bin/env bash
# End to end through the real window under a private X server: open a record
# named on the command line, drag a segment across the waveform, compute its
# spectrum, copy the figures, the row and the spectrum, and compare them with
# sismavue-report for the same segment; then check the views on a screenshot.
#
# Usage: window_e2e.sh [--screenshot FILE] SISMAVUE REPORT RECORD
#
# The record is copied into a folder under a name with blanks that starts
# like a toolkit option, and handed to the window as several arguments, as
# an unquoted command line would.
# With --screenshot the record is opened under the name given instead, and
# after the checks the spectrum cursor is put on the largest line and the
# window saved to FILE as PNG. SISMAVUE_E2E_SCALE=2 does all of it on a
# screen of twice the density; SISMAVUE_E2E_LOCALE=de_DE.UTF-8 starts the
# window in that locale, whose decimal separator its figures then carry
# where the report writes ".".
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
[ $# -eq 3 ] || fail "usage: $0 [--screenshot FILE] SISMAVUE REPORT RECORD"
sismavue="$1" report="$2" record="$3"
need_tools Xvfb xdotool xclip xwd convert timeout
python=$(numpy_python) || fail "no python3 with numpy (the python3-numpy package installs it)"
if [ -n "${SISMAVUE_E2E_LOCALE:-}" ]; then
  locale -a | grep -qix "${SISMAVUE_E2E_LOCALE%%.*}.utf-\{0,1\}8" ||
    fail "the locale $SISMAVUE_E2E_LOCALE is missing (scripts/install-deps.sh test makes it)"
fi
point=$(LC_ALL="${SISMAVUE_E2E_LOCALE:-C.UTF-8}" locale decimal_point)
# The report's number texts as the window writes them: the window's
# separator for the point after a digit.
localised() { sed -E "s/([0-9])\./\1$point/g"; }

# Controls, in twips: left, top, width, height.
picture1=(2760 1120 7452 2256)
picture2=(2760 5760 7452 2256)
command1=(360 5040 1932 372) # OK - compute FFT
command2=(360 4560 852 372)  # Copy
command4=(1320 4560 972 372) # Copy All
command5=(360 7320 1932 372) # Copy Spectrum
header=$'Label\tID\tStart\tEnd\tMaxPeak\tRMS\tLaw,max,Slow\tFreq.max'

if [ -n "$screenshot" ]; then
  opened="$record"
  arguments=("$record")
else
  # Named relative to the folder the window starts in, in words of which the
  # first would be a toolkit option (-style, taking the next word): the
  # window must take them all as the name.
  mkdir "$tmp/record folder"
  cd "$tmp/record folder" || fail "no folder for the record"
  opened="$PWD/-style an example record.psn"
  cp "$record" "$opened"
  read -ra arguments <<<"$(basename "$opened")"
fi
count=$(sed -n 's/^Number of Samples: *\([0-9]*\).*/\1/p' "$opened" | head -n 1)
rate=$(sed -n 's/^SPS: *\([0-9]*\).*/\1/p' "$opened" | head -n 1)
if [ -z "$count" ] || [ -z "$rate" ]; then
  fail "$record: no sample count or rate in the header"
fi

# wait_clipboard TEST [TRIES] : polls the clipboard into $tmp/clip every
# 0.2 s until the function TEST accepts it; 50 tries (10 s) by default.
wait_clipboard() {
  local _
  for _ in $(seq "${2:-50}"); do
    if clipboard >"$tmp/clip" && "$1"; then
      return 0
    fi
    sleep 0.2
  done
  return 1
}

crs() { tr -cd '\r' <"$tmp/clip" | wc -c; }
lfs() { tr -cd '\n' <"$tmp/clip" | wc -c; }
is_row() { [ "$(crs)" -eq 1 ] && [ "$(tail -c 1 "$tmp/clip" | od -An -c | tr -d ' ')" != '\r' ]; }
is_row_with_fmax() { is_row && [ -n "$(tr '\r' '\n' <"$tmp/clip" | sed -n 2p | cut -f8)" ]; }
is_figures() { [ -s "$tmp/clip" ] && [ "$(crs)" -eq 0 ] && [ "$(tr -cd '\t' <"$tmp/clip" | wc -c)" -eq 2 ]; }
is_spectrum() { head -c 10 "$tmp/clip" | grep -qx 'Freq. (Hz)'; }

# The copied row's eight fields into row[] and its text into row_text,
# after checking the layout.
read_row() {
  [ "$(lfs)" -eq 0 ] || fail "\"Copy All\" text holds LF characters"
  local got_header
  got_header=$(tr '\r' '\n' <"$tmp/clip" | sed -n 1p)
  [ "$got_header" = "$header" ] || fail "\"Copy All\" header is '$got_header'"
  row_text=$(tr '\r' '\n' <"$tmp/clip" | sed -n 2p)
  [ "$(printf '%s' "$row_text" | tr -cd '\t' | wc -c)" -eq 7 ] ||
    fail "\"Copy All\" row has not eight fields: $(printf '%s' "$row_text" | cat -A)"
  # TAB would count as blank space to read, which merges empty fields.
  IFS=$'\037' read -r -a row < <(printf '%s\n' "$row_text" | tr '\t' '\037')
  row[7]=${row[7]:-}
}

# report_row START END : the report's row for the segment, without the path.
report_row() {
  "$report" --segment "$1:$2" "$opened" | sed -n 2p | cut -f2- | localised
}

start_x
start_window "$sismavue" "${arguments[@]}"

# Drag across the waveform view, overshooting and coming back so that the
# band is erased and redrawn on the way, and release inside the view.
view_left=$(twips "${picture1[0]}")
view_y=$(twips $((picture1[1] + picture1[3] / 2)))
press=124 release=273
at() { echo $((view_left + $1 * scale)); }
xdotool mousemove --window "$window_id" "$(at $press)" "$view_y" mousedown 1 \
  sleep 0.1 mousemove --window "$window_id" "$(at 200)" "$view_y" \
  sleep 0.1 mousemove --window "$window_id" "$(at 360)" "$view_y" \
  sleep 0.1 mousemove --window "$window_id" "$(at 300)" "$view_y" \
  sleep 0.1 mousemove --window "$window_id" "$(at $release)" "$view_y" \
  sleep 0.1 mouseup 1

# "Copy All" before any spectrum: the segment and its figures, no frequency.
click "${command4[@]}"
wait_clipboard is_row || fail "\"Copy All\" put no header and row on the clipboard: $(cat -A "$tmp/clip")"
read_row
start=${row[2]# } end=${row[3]# }
# The window maps x (twips) to round_half_even(x / W * N); W may differ from
# the layout's 7452 by the pixel rounding of the view's edges.
read -r want_start want_end < <("$python" -c "
n = $count; w = ${picture1[2]}
print(round($press * 15 / w * n), round($release * 15 / w * n))")
near() { [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ]; }
if ! near "$start" "$want_start" || ! near "$end" "$want_end"; then
  fail "the drag from pixel $press to $release selected samples $start..$end, expected about $want_start..$want_end"
fi
if [ "${row[2]}" != " $start" ] || [ "${row[3]}" != " $end" ]; then
  fail "Start and End are '${row[2]}' and '${row[3]}', expected a blank before each number"
fi
expected=$(report_row "$start" "$end")
[ -n "$expected" ] || fail "sismavue-report gave no row for $start:$end"
[ "$row_text" = "${expected%$'\t'*}"$'\t' ] ||
  fail "\"Copy All\" before the spectrum differs from the report (Freq.max empty):
  window: $(printf '%s' "$row_text" | cat -A)
  report: $(printf '%s' "$expected" | cat -A)"

# "Copy": the three figures.
click "${command2[@]}"
wait_clipboard is_figures || fail "\"Copy\" put no three figures on the clipboard: $(cat -A "$tmp/clip")"
want_figures=$(printf '%s' "$expected" | cut -f5-7)
printf '%s' "$want_figures" | cmp -s - "$tmp/clip" ||
  fail "\"Copy\" gave '$(cat -A "$tmp/clip")', expected '$want_figures'"

# "OK - compute FFT", then "Copy All" until the computation has finished
# (a click handled while it yields to the event loop copies no Freq.max).
click "${command1[@]}"
done=""
for _ in $(seq 10); do
  click "${command4[@]}"
  if wait_clipboard is_row_with_fmax 15; then
    done=yes
    break
  fi
done
[ -n "$done" ] || fail "\"Copy All\" after \"OK - compute FFT\" never held a Freq.max: $(cat -A "$tmp/clip")"
read_row
[ "$row_text" = "$expected" ] ||
  fail "\"Copy All\" after the spectrum differs from the report:
  window: $(printf '%s' "$row_text" | cat -A)
  report: $(printf '%s' "$expected" | cat -A)"

# "Copy Spectrum": the report's spectrum text with CR for LF.
click "${command5[@]}"
wait_clipboard is_spectrum || fail "\"Copy Spectrum\" put no spectrum on the clipboard: $(head -c 200 "$tmp/clip" | cat -A)"
"$report" --spectrum --segment "$start:$end" "$opened" | localised | tr '\n' '\r' >"$tmp/spectrum"
cmp -s "$tmp/clip" "$tmp/spectrum" ||
  fail "\"Copy Spectrum\" differs from the report: $(cmp "$tmp/clip" "$tmp/spectrum" 2>&1)"

fmax=${row[7]/"$point"/.}
shoot "$tmp/shot.png"
"$python" "$here/check_screenshot.py" "$tmp/shot.png" "$count" "$rate" "$start" "$end" "$fmax" "$scale" ||
  { kept="${TMPDIR:-/tmp}/sismavue-e2e-failed-$$.png"
    cp "$tmp/shot.png" "$kept" && echo "screenshot kept as $kept" >&2
    fail "the screenshot does not show the views as expected"; }

if [ -n "$screenshot" ]; then
  # The cursor on the largest line: a click in the spectrum view at its x.
  line=$("$python" -c "print(round($fmax * 2048 / $rate))")
  xdotool mousemove --window "$window_id" \
    "$("$python" -c "
left = round(${picture2[0]} / 15)
width = round((${picture2[0]} + ${picture2[2]}) / 15) - left
print(round((left + $line / 1024 * width) * $scale))")" \
    "$(twips $((picture2[1] + picture2[3] / 2)))" click 1 mousemove --window "$window_id" \
    $((680 * scale)) $((545 * scale))
  sleep 1
  shoot "$screenshot"
  echo "screenshot written to $screenshot"
fi
echo "PASS: samples $start..$end of $count, row and spectrum as the report gives them"
