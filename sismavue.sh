#!/usr/bin/env bash
# Installs what building and running need when it is missing, builds the
# programs in Release and opens FILE in the window (the bundled example
# record when no file is given). A fresh build folder is configured without
# the tests, whose tools only ./test.sh installs.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" build
options=()
[ -f "$here/build/CMakeCache.txt" ] || options=(-DSISMAVUE_TESTS=OFF)
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
cmake --build "$here/build" --target sismavue sismavue-report
if [ $# -eq 0 ]; then
  set -- "$here/examples/example.psn"
fi
exec "$here/build/src/window/sismavue" "$@"
