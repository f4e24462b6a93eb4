#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSISMAVUE_BENCHMARKS=ON >/dev/null
cmake --build "$here/build"
ctest --test-dir "$here/build" --output-on-failure -j 2 "$@"
