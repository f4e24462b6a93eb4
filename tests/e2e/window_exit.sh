#!/usr/bin/env bash
# The real window under a private X server opens a record, is closed the way
# a window manager closes it and must end by itself with status 0 and no
# sanitizer report on its output (in a sanitizer build, leaks are reported
# at that exit).
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
