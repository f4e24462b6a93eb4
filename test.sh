#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the Release build
# with the benchmarks, then the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, build-asan/) together with a bounded
# fuzz run of the record reader, then the core's and the report's tests
# under ThreadSanitizer (clang, build-tsan/, without the window). Arguments
# go to every ctest run.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" test

cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSISMAVUE_TESTS=ON -DSISMAVUE_BENCHMARKS=ON >/dev/null
cmake --build "$here/build" -j 2
ctest --test-dir "$here/build" --output-on-failure -j 2 "$@"

# Any sanitizer report fails the test that provoked it (the build stops at
# the first one); leaks are reported at exit.
CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-asan" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only" \
  -DSISMAVUE_TESTS=ON -DSISMAVUE_SANITIZE=ON -DSISMAVUE_FUZZ=ON >/dev/null
cmake --build "$here/build-asan" -j 2
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1"
ctest --test-dir "$here/build-asan" --output-on-failure -j 2 "$@"

# Any data race ends the test that provoked it.
CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-tsan" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only" \
  -DSISMAVUE_TESTS=ON -DSISMAVUE_WINDOW=OFF -DSISMAVUE_TSAN=ON >/dev/null
cmake --build "$here/build-tsan" -j 2
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" ctest --test-dir "$here/build-tsan" --output-on-failure -j 2 "$@"
