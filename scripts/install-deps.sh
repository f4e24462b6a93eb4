#!/usr/bin/env bash
# Installs the Debian packages of the groups named, when any is missing. Runs
# apt-get as root, or through sudo.
#
# Usage: install-deps.sh GROUP...         install what the groups need
#        install-deps.sh --list GROUP...  print their packages, one a line
#
# Groups:
#   build    build and run the programs (./sismavue.sh)
#   package  build the Debian package; includes build
#   bench    build with the tests and benchmarks and run every benchmark
#            (./bench.sh); includes build
#   test     run every test (./test.sh): includes all of the above, since the
#            suite runs the benchmarks once and checks the package; also
#            makes the locales de_DE.UTF-8 and fr_FR.UTF-8, under which
#            some tests run again, when the system lacks them
set -euo pipefail

build=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libmseed-dev libxml2-dev
)
# dpkg-shlibdeps finds the package's dependencies, file the programs.
package=(dpkg-dev file)
# The benchmarks build in the same tree as the tests, so GoogleTest too.
bench=(
  libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
  python3 python3-numpy python3-scipy
  hyperfine time
  xvfb xauth xdotool xclip
)
test=(
  x11-apps imagemagick poppler-utils libx11-dev
  clang libclang-rt-14-dev llvm
  lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin
  man-db bash-completion parallel locales
)
# Locales whose decimal separator is not ".", made with localedef when missing.
test_locales=(de_DE.UTF-8 fr_FR.UTF-8)

list=false
if [ "${1:-}" = "--list" ]; then
  list=true
  shift
fi
[ $# -gt 0 ] || { sed -n '2,/^set/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2; }

packages=()
locales=()
for group in "$@"; do
  case "$group" in
    build) packages+=("${build[@]}") ;;
    package) packages+=("${build[@]}" "${package[@]}") ;;
    bench) packages+=("${build[@]}" "${bench[@]}") ;;
    test) packages+=("${build[@]}" "${package[@]}" "${bench[@]}" "${test[@]}")
      locales+=("${test_locales[@]}") ;;
    *) echo "install-deps.sh: unknown group '$group' (build, package, bench, test)" >&2; exit 2 ;;
  esac
done
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | sort -u)

if $list; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# `locale -a` writes de_DE.UTF-8 as de_DE.utf8.
absent=()
for l in "${locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "${l%%.*}.utf-\{0,1\}8" || absent+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#absent[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]} ${absent[*]}" >&2; exit 1; }
  sudo="sudo"
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
for l in "${absent[@]}"; do
  echo "Making the locale $l"
  $sudo localedef -i "${l%%.*}" -f UTF-8 "$l"
done
