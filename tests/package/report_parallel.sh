#!/usr/bin/env bash
# The README's command that spreads a folder of records over several
# machines with GNU parallel, run with this machine alone (--sshlogin :),
# gives the same rows as one sismavue-report --no-header run.
#
# Usage: report_parallel.sh REPORT README RECORD
set -uo pipefail

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[ $# -eq 3 ] || fail "usage: $0 REPORT README RECORD"
report="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" readme="$2" record="$3"
command -v parallel >/dev/null || fail "parallel is missing (scripts/install-deps.sh test installs it)"

command=$(grep -E '^    parallel --sshlogin ' "$readme" | head -n 1)
[ -n "$command" ] || fail "the README shows no 'parallel --sshlogin' command"
command=$(sed -E 's/--sshlogin [^ ]+/--sshlogin :/' <<<"${command#    }")

# A few records, one with blanks in its name; the second is shorter.
mkdir -p "$tmp/records" "$tmp/bin" "$tmp/parallel"
cp "$record" "$tmp/records/a.psn"
sed 's/^Number of Samples:.*/Number of Samples: 1000/' "$record" >"$tmp/records/b c.psn"
cp "$record" "$tmp/records/d.psn"
ln -s "$report" "$tmp/bin/sismavue-report"
touch "$tmp/parallel/will-cite"

(cd "$tmp/records" && PATH="$tmp/bin:$PATH" PARALLEL_HOME="$tmp/parallel" bash -c "$command") 2>"$tmp/err" ||
  fail "'$command' failed: $(cat "$tmp/err")"
(cd "$tmp/records" && "$report" --no-header a.psn "b c.psn" d.psn) >"$tmp/expected"
[ "$(wc -l <"$tmp/expected")" -eq 3 ] || fail "sismavue-report gave: $(cat "$tmp/expected")"
cmp -s "$tmp/records/rows.tsv" "$tmp/expected" ||
  fail "'$command' wrote:
$(cat "$tmp/records/rows.tsv")
instead of:
$(cat "$tmp/expected")"
echo "PASS: $command"
