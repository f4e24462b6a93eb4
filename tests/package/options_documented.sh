#!/usr/bin/env bash
# Every option a program's --help lists appears in its manual page.
#
# Usage: options_documented.sh PROGRAM PAGE [PROGRAM PAGE]...
set -uo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
[ $# -ge 2 ] && [ $(($# % 2)) -eq 0 ] || fail "usage: $0 PROGRAM PAGE [PROGRAM PAGE]..."
while [ $# -gt 0 ]; do
  program="$1" page="$2"
  shift 2
  options=$(env -u DISPLAY QT_QPA_PLATFORM=offscreen "$program" --help | grep -oE -- '--[[:alnum:]][[:alnum:]-]*' | sort -u)
  [ -n "$options" ] || fail "$(basename "$program") --help lists no option"
  for option in $options; do
    # The page writes each hyphen as \-; a longer option's name does not count.
    grep -qP -- "\\Q${option//-/\\-}\\E(?![[:alnum:]]|\\\\-)" "$page" ||
      fail "$(basename "$program") --help lists $option, which $(basename "$page") does not describe"
  done
  echo "$(basename "$page") describes $(echo $options)"
done
