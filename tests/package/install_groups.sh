#!/usr/bin/env bash
# ./sismavue.sh installs only what building and running need: none of the
# packages that only the tests or the benchmarks use, and a fresh build
# folder configured as it configures one looks for none of them.
#
# Usage: install_groups.sh SOURCE
set -uo pipefail

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[ $# -eq 1 ] || fail "usage: $0 SOURCE"
source_dir="$1"
deps="$source_dir/scripts/install-deps.sh"

# The groups that ./sismavue.sh names on its install line.
groups=$(sed -n 's/^"$here\/scripts\/install-deps.sh" \([a-z ]*\)$/\1/p' "$source_dir/sismavue.sh")
[ -n "$groups" ] || fail "sismavue.sh has no install-deps.sh line naming its groups"
# shellcheck disable=SC2086 # one word per group
"$deps" --list $groups | sort >"$tmp/run" || fail "install-deps.sh --list $groups failed"
"$deps" --list build | sort >"$tmp/build"
{ "$deps" --list test; "$deps" --list bench; } | sort -u | comm -23 - "$tmp/build" >"$tmp/testonly"
[ -s "$tmp/testonly" ] || fail "install-deps.sh lists no test packages"

# Tools that only tests and benchmarks use, wherever a list puts them.
tools='^(clang|llvm|libclang-rt-.*|libgtest-dev|libgmock-dev|libbenchmark-dev|libfftw3-dev|python3(-.*)?|hyperfine|time|xvfb|xauth|xdotool|xclip|x11-apps|imagemagick|lintian|desktop-file-utils|appstream|parallel|bash-completion|libglib2.0-bin)$'
found=$( { comm -12 "$tmp/run" "$tmp/testonly"; grep -E "$tools" "$tmp/run"; } | sort -u)
[ -z "$found" ] || fail "./sismavue.sh would install test-only packages: $(echo $found)"

# The options ./sismavue.sh gives a fresh build folder.
grep -q 'options=(-DSISMAVUE_TESTS=OFF)' "$source_dir/sismavue.sh" ||
  fail "sismavue.sh no longer configures a fresh build without the tests"
cmake -S "$source_dir" -B "$tmp/build-dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSISMAVUE_TESTS=OFF \
  >"$tmp/cmake.log" 2>&1 || fail "configuring without the tests failed: $(cat "$tmp/cmake.log")"
looked=$(grep -E '^(GTest|benchmark|FFTW3F|X11)_' "$tmp/build-dir/CMakeCache.txt" | cut -d: -f1)
[ -z "$looked" ] || fail "a build without the tests looks for test packages: $(echo $looked)"
echo "PASS: ./sismavue.sh installs $(wc -l <"$tmp/run") packages, none only for tests ($groups)"
