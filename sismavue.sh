#!/usr/bin/env bash
# Installs what building and running need when it is missing, builds the
# programs in Release and opens FILE in the window (the bundled example
# record when no file is given). A fresh build folder is configured without
# the tests, whose tools only ./test.sh installs. Without a desktop session
# (nor a toolkit platform named in QT_QPA_PLATFORM) it says so after the
# build and ends with 1 instead of starting the window, whose toolkit would
# abort.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" build
options=()
[ -f "$here/build/CMakeCache.txt" ] || options=(-DSISMAVUE_TESTS=OFF)
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
cmake --build "$here/build" --target sismavue sismavue-report
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  report="$here/build/src/sismavue-report"
  echo "sismavue.sh: the window needs a desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set); ${report#"$PWD/"} FILE gives the figures" >&2
  exit 1
fi
if [ $# -eq 0 ]; then
  set -- "$here/examples/example.psn"
fi
exec "$here/build/src/window/sismavue" "$@"
