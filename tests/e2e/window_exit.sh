#!/usr/bin/env bash
# The real window under a private X server opens a record, is closed the way
# a window manager closes it and must end by itself with status 0 and no
# sanitizer report on its output (in a sanitizer build, leaks are reported
# at that exit). Without a desktop session, ./sismavue.sh ends with 1 and
# one line that says so instead of starting the window.
#
# Usage: window_exit.sh SISMAVUE CLOSE_WINDOW RECORD
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
tmp="$(mktemp -d)"
# shellcheck source=xsession.sh
. "$here/xsession.sh"
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

[ $# -eq 3 ] || fail "usage: $0 SISMAVUE CLOSE_WINDOW RECORD"
sismavue="$1" close_window="$2" record="$3"

# sismavue.sh in a folder of its own, its installer and CMake stand-ins that
# do nothing, the window this build's; no core file if the toolkit aborts.
launch="$tmp/launch"
mkdir -p "$launch/scripts" "$launch/bin" "$launch/build/src/window"
cp "$here/../../sismavue.sh" "$launch/"
printf '#!/bin/sh\n' | tee "$launch/scripts/install-deps.sh" >"$launch/bin/cmake"
chmod +x "$launch/scripts/install-deps.sh" "$launch/bin/cmake"
ln -s "$sismavue" "$launch/build/src/window/sismavue"
(ulimit -c 0; cd "$launch" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH="$launch/bin:$PATH" \
  ./sismavue.sh "$record") >"$tmp/launch.log" 2>&1
status=$?
[ "$status" -eq 1 ] && [ "$(wc -l <"$tmp/launch.log")" -eq 1 ] &&
  grep -qx 'sismavue.sh: the window needs a desktop session.*; build/src/sismavue-report FILE gives the figures' "$tmp/launch.log" ||
  fail "sismavue.sh without a display ended with $status and printed: $(cat "$tmp/launch.log")"

need_tools Xvfb xdotool

start_x
start_window "$sismavue" "$record"
"$close_window" "$window_id" || fail "could not ask the window to close"
for _ in $(seq 600); do
  kill -0 "$window_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$window_pid" 2>/dev/null && fail "the window was still running 60 s after it was closed"
wait "$window_pid"
status=$?
window_pid=""
[ "$status" -eq 0 ] || fail "the window ended with status $status"
grep -qE 'ERROR: |runtime error' "$tmp/window.log" && fail "the window's output has a sanitizer report"
echo "PASS: the window closed and ended with status 0"
