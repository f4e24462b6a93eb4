#!/usr/bin/env bash
# Installs what is missing, builds Release with the benchmarks, runs every
# benchmark and yardstick on records written into a temporary folder and
# prints one markdown table (the README's "Benchmarks" section). Takes a few
# minutes; the build's and the tools' output go to standard error.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" bench >&2
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSISMAVUE_TESTS=ON -DSISMAVUE_BENCHMARKS=ON >&2
cmake --build "$here/build" -j 2 >&2
exec "$here/bench/run.sh" "$here/build" "$@"
