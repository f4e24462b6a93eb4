#!/usr/bin/env bash
# Installs what is missing, builds in Release and opens FILE in the window
# (the bundled example record when no file is given).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" --target sismavue sismavue-report
if [ $# -eq 0 ]; then
  set -- "$here/examples/example.psn"
fi
exec "$here/build/src/window/sismavue" "$@"
