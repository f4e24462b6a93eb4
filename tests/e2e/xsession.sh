# shellcheck shell=bash
# Shared by the scripts in this folder (sourced, not run): a private X
# server, the window on a record, and clean-up of both whatever happens.
#
# Needs: tmp (a fresh temporary folder, removed by cleanup).
# SISMAVUE_E2E_SCALE=2 runs the window on a screen of twice the density
# (QT_SCALE_FACTOR): positions below are then in device pixels.
# shellcheck disable=SC2154 # tmp is set by the script that sources this

scale="${SISMAVUE_E2E_SCALE:-1}"
xvfb_pid=""
window_pid=""

# stop PID : ends a process started here, forcibly after 5 s.
stop() {
  local _
  kill "$1" 2>/dev/null
  for _ in $(seq 50); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

cleanup() {
  local status=$?
  # Only the two processes started here, by their ids.
  [ -z "$window_pid" ] || stop "$window_pid"
  [ -z "$xvfb_pid" ] || stop "$xvfb_pid"
  rm -rf "$tmp"
  exit "$status"
}

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$tmp/window.log" ]; then
    echo "--- window output:" >&2
    cat "$tmp/window.log" >&2
  fi
  exit 1
}

need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null ||
      fail "$tool is missing (scripts/install-deps.sh installs it)"
  done
}

# The first python3 that has numpy: the one on the PATH, else the system's
# (where python3-numpy installs it), which a PATH of a Python version manager
# may hide.
numpy_python() {
  local candidate
  for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import numpy' 2>/dev/null; then
      command -v "$candidate"
      return 0
    fi
  done
  return 1
}

# Starts Xvfb on a display number it picks itself (-displayfd), so that runs
# in parallel never meet, and exports DISPLAY.
start_x() {
  Xvfb -displayfd 3 -screen 0 "$((1024 * scale))x$((768 * scale))x24" -nolisten tcp -noreset \
    3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local _ number
  for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    sleep 0.1
  done
  [ -s "$tmp/display" ] || fail "Xvfb gave no display number within 10 s"
  number=$(head -n 1 "$tmp/display")
  export DISPLAY=":$number"
}

# start_window BINARY ARG... : runs the window in the locale
# SISMAVUE_E2E_LOCALE names, else with "." as the decimal separator, and
# waits for it to be mapped; sets window_id.
start_window() {
  mkdir -p "$tmp/runtime" && chmod 700 "$tmp/runtime"
  env LC_ALL="${SISMAVUE_E2E_LOCALE:-C.UTF-8}" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" XDG_RUNTIME_DIR="$tmp/runtime" \
    "$@" >"$tmp/window.log" 2>&1 &
  window_pid=$!
  window_id=""
  local _
  for _ in $(seq 300); do
    window_id=$(xdotool search --onlyvisible --name '^Sismavue$' 2>/dev/null | head -n 1)
    [ -n "$window_id" ] && return 0
    kill -0 "$window_pid" 2>/dev/null || fail "the program ended without showing its window"
    sleep 0.1
  done
  fail "no window named Sismavue within 30 s"
}

# Layout positions are twips, 15 to the layout pixel, relative to the client
# area; this gives device pixels.
twips() { echo $((($1 * scale + 7) / 15)); }

# click LEFT TOP WIDTH HEIGHT : the centre of a control given in twips.
click() {
  xdotool mousemove --window "$window_id" "$(twips $(($1 + $3 / 2)))" "$(twips $(($2 + $4 / 2)))" \
    click 1
}

clipboard() {
  timeout 5 xclip -selection clipboard -t UTF8_STRING -o 2>/dev/null
}

# shoot FILE : the window's client area, as PNG.
shoot() {
  local X Y
  eval "$(xdotool getwindowgeometry --shell "$window_id" | grep -E '^[XY]=')"
  xwd -root -silent | convert xwd:- -crop "$((686 * scale))x$((555 * scale))+${X}+${Y}" +repage -strip "png:$1" ||
    fail "could not take a screenshot"
}
