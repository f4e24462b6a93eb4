#!/usr/bin/env bash
# Runs every benchmark and yardstick on records written into a temporary
# folder (removed at exit) and prints the benchmark table, in markdown, on
# standard output; progress goes to standard error.
#
# Usage: bench/run.sh BUILD [--quick]
#   BUILD    a Release build with -DSISMAVUE_BENCHMARKS=ON
#   --quick  tiny records and one repetition of everything (the window
#            opened once): proves that the benchmarks still build and run
#            (a ctest entry); its figures mean nothing
#
# The records are at 100 samples/s: a main one of 1,000,000 samples, a large
# one of 10,000,000, a batch of 500 of 60,000 and a day of 86,400,000
# (1.25 GB, and as Steim-2 miniSEED), beside a 2 GiB file that is one endless field (a hole after a
# header, which the window must refuse without freezing). The window's parts are
# skipped when the window was not built. With BENCH_KEEP=DIR the raw results
# are copied there (bench/table.py DIR prints the table again).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
[ $# -ge 1 ] || { echo "usage: $0 BUILD [--quick]" >&2; exit 2; }
build="$(cd "$1" && pwd)"
quick=0
[ "${2:-}" = "--quick" ] && quick=1

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP
results="$tmp/results"
records="$tmp/records"
mkdir -p "$results" "$records/batch"

if [ "$quick" = 1 ]; then
  main=3000 large=6000 files=4 batch_samples=3000 day=9000 fast=40000 endless_bytes=$((1 << 20))
  repetitions=1 large_repetitions=1 min_time=0.001 runs=1 large_runs=1 warmup=0
  window_runs=1
else
  main=1000000 large=10000000 files=500 batch_samples=60000 day=86400000 fast=1000000
  endless_bytes=$((2 << 30))
  repetitions=7 large_repetitions=3 min_time=0.2 runs=5 large_runs=3 warmup=1
  window_runs=3
fi

report="$build/src/sismavue-report"
window="$build/src/window/sismavue"
python=/usr/bin/python3
for tool in "$report" "$build/bench/core_bench" "$build/bench/make_record" "$build/bench/mseed_readtraces"; do
  [ -x "$tool" ] || { echo "bench: $tool is missing: build with -DSISMAVUE_BENCHMARKS=ON" >&2; exit 1; }
done
for tool in hyperfine /usr/bin/time "$python"; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

step() { echo "bench: $*" >&2; }

# quietly LOG COMMAND... : runs a tool with its output in LOG, shown if it fails.
quietly() {
  local log="$tmp/$1"
  shift
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "bench: failed: $*" >&2
    exit 1
  fi
}

# One command line for hyperfine, which splits it like a shell.
command_line() { printf '%q ' "$@"; }

step "writing the records"
quietly make-main.log "$build/bench/make_record" "$records/main.psn" "$main" 1
quietly make-large.log "$build/bench/make_record" "$records/large.psn" "$large" 2
batch=()
for i in $(seq "$files"); do
  quietly make-batch.log "$build/bench/make_record" "$records/batch/$i.psn" "$batch_samples" $((100 + i))
  batch+=("$records/batch/$i.psn")
done
quietly make-day.log "$build/bench/make_record" "$records/day.psn" "$day" 7
quietly make-mseed.log "$build/bench/make_record" "$records/day.mseed" "$day" 7
quietly make-fast.log "$build/bench/make_record" "$records/fast.psn" "$fast" 3 1000
printf 'Number of Samples: 1000000\r\nSPS: 100\r\nData:\r\n' >"$records/endless.psn"
truncate -s "$endless_bytes" "$records/endless.psn"
cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
# The spectrum has a path of its own for 512-bit registers.
if grep -qw avx512f /proc/cpuinfo; then wide="with"; else wide="without"; fi
commit="$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
[ -z "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ] || commit="$commit with changes"
cat >"$results/meta.json" <<EOF
{"main": {"samples": $main, "bytes": $(stat -c %s "$records/main.psn")},
 "large": {"samples": $large, "bytes": $(stat -c %s "$records/large.psn")},
 "batch": {"files": $files, "samples": $batch_samples},
 "day": {"samples": $day, "bytes": $(stat -c %s "$records/day.psn")},
 "mseed": {"bytes": $(stat -c %s "$records/day.mseed")},
 "fast": {"samples": $fast, "rate": 1000},
 "endless": {"bytes": $endless_bytes},
 "machine": "${cpu:-unknown CPU} ${wide} AVX-512 (512-bit registers), $(nproc) cores, load average $(cut -d ' ' -f 1 /proc/loadavg) at the start",
 "commit": "$commit"}
EOF

step "core stages and yardsticks ($main samples)"
quietly core-main.log "$build/bench/core_bench" --record "$records/main.psn" \
  --benchmark_repetitions="$repetitions" --benchmark_min_time="$min_time" \
  --benchmark_out="$results/core-main.json" --benchmark_out_format=json
step "read + analysis and parse floor ($large samples)"
quietly core-large.log "$build/bench/core_bench" --record "$records/large.psn" \
  --benchmark_filter='^(ParseFloor|ReadAndAnalysis)/' \
  --benchmark_repetitions="$large_repetitions" --benchmark_min_time="$min_time" \
  --benchmark_out="$results/core-large.json" --benchmark_out_format=json

if [ -x "$build/bench/plot_bench" ]; then
  step "window plot, offscreen"
  quietly plot.log env QT_QPA_PLATFORM=offscreen "$build/bench/plot_bench" --record "$records/main.psn" \
    --benchmark_repetitions="$repetitions" --benchmark_min_time="$min_time" \
    --benchmark_out="$results/plot.json" --benchmark_out_format=json
fi

step "the Python pipeline's figures against the report's"
agree=yes
for name in main large; do
  "$report" "$records/$name.psn" >"$tmp/report-$name.txt"
  "$python" "$here/python_pipeline.py" "$records/$name.psn" >"$tmp/python-$name.txt"
  if ! "$python" "$here/compare_figures.py" "$tmp/report-$name.txt" "$tmp/python-$name.txt" 100 \
      >"$tmp/compare-$name.log"; then
    agree=no
    step "$name record: $(cat "$tmp/compare-$name.log")"
  fi
done
echo "$agree" >"$results/figures-agree.txt"
# The RMS field (7th) of the report and of the 64-bit pipeline, large record.
for file in report python; do
  sed -n 2p "$tmp/$file-large.txt" | cut -f 7 >>"$results/rms-large.txt"
done

# The Python pipeline runs without the OpenBLAS settings some machines carry
# for old libraries, which would slow it.
python_line() {
  command_line env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE "$python" "$here/python_pipeline.py" "$1"
}
step "whole processes: sismavue-report against the Python pipeline ($main samples)"
quietly hf-main.log hyperfine -N --style basic --warmup "$warmup" --runs "$runs" \
  --export-json "$results/hf-main.json" \
  "$(command_line "$report" "$records/main.psn")" "$(python_line "$records/main.psn")"
step "whole processes ($large samples)"
quietly hf-large.log hyperfine -N --style basic --warmup "$warmup" --runs "$large_runs" \
  --export-json "$results/hf-large.json" \
  "$(command_line "$report" "$records/large.psn")" "$(python_line "$records/large.psn")"
step "the Python assessment's figures against the report's, then whole processes ($fast samples at 1000/s)"
"$report" --assess din4150-3 --format json "$records/fast.psn" >"$tmp/assess-3.json"
"$report" --assess din4150-2 --format json "$records/fast.psn" >"$tmp/assess-2.json"
"$python" "$here/python_assess.py" din4150-3 "$records/fast.psn" >"$tmp/python-assess-3.txt"
"$python" "$here/python_assess.py" din4150-2 "$records/fast.psn" >"$tmp/python-assess-2.txt"
"$python" - "$tmp" >"$results/assess-agree.txt" <<'EOF2'
import json, sys
folder = sys.argv[1]
def close(a, b):
    return abs(a - b) <= 5e-3 * max(abs(a), abs(b))
ppv = json.load(open(folder + "/assess-3.json"))[0]["ppv"]
kb = json.load(open(folder + "/assess-2.json"))[0]["kbFmax"]
theirs_ppv = float(open(folder + "/python-assess-3.txt").read().split()[0])
theirs_kb = float(open(folder + "/python-assess-2.txt").read().split()[0])
print("yes" if close(ppv, theirs_ppv) and close(kb, theirs_kb) else "no")
EOF2
assess_line() { command_line env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE "$python" "$here/python_assess.py" "$@"; }
quietly hf-assess.log hyperfine -N --style basic --warmup "$warmup" --runs "$runs" \
  --export-json "$results/hf-assess.json" \
  "$(command_line "$report" --assess din4150-3 "$records/fast.psn")" "$(assess_line din4150-3 "$records/fast.psn")" \
  "$(command_line "$report" --assess din4150-2 "$records/fast.psn")" "$(assess_line din4150-2 "$records/fast.psn")"

step "sismavue-report --jobs 1 and --jobs 2 on $files files"
quietly hf-jobs.log hyperfine -N --style basic --warmup "$warmup" --runs "$large_runs" \
  --export-json "$results/hf-jobs.json" \
  "$(command_line "$report" --jobs 1 "${batch[@]}")" "$(command_line "$report" --jobs 2 "${batch[@]}")"

if [ -e "$build/src/sismavue-plot.so" ]; then
  step "sismavue-report --plot --jobs 2 on $files files"
  quietly hf-plot.log hyperfine -N --style basic --warmup "$warmup" --runs "$large_runs" \
    --export-json "$results/hf-plot.json" \
    "$(command_line "$report" --jobs 2 --force --plot "$tmp/pictures" "${batch[@]}")"
  step "sismavue-report --pdf on the same $files files"
  quietly hf-pdf.log hyperfine -N --style basic --warmup "$warmup" --runs "$large_runs" \
    --export-json "$results/hf-pdf.json" \
    "$(command_line "$report" --force --pdf "$tmp/report.pdf" "${batch[@]}")"
fi

step "peak memory of sismavue-report ($large samples)"
for _ in $(seq "$large_runs"); do
  quietly memory.log /usr/bin/time -f %M -o "$tmp/peak" "$report" "$records/large.psn"
  tail -n 1 "$tmp/peak" >>"$results/mem-report.txt"
done

step "day record ($day samples): streaming parse floor, the window's load with and without the detail summary, whole sismavue-report with and without --exceedances and --assess, peak memory"
quietly core-day.log "$build/bench/core_bench" --record "$records/day.psn" \
  --benchmark_filter='^(StreamingParseFloor|TwoThreads|ReadAndAnalysis|ReadAndAnalysisDetail)/' \
  --benchmark_repetitions="$large_repetitions" --benchmark_min_time=0.001 \
  --benchmark_out="$results/core-day.json" --benchmark_out_format=json
quietly hf-day.log hyperfine -N --style basic --warmup 0 --runs "$large_runs" \
  --export-json "$results/hf-day.json" "$(command_line "$report" "$records/day.psn")" \
  "$(command_line "$report" --exceedances "$records/day.psn")" \
  "$(command_line "$report" --assess din4150-3 "$records/day.psn")" \
  "$(command_line "$report" --assess din4150-2 "$records/day.psn")"
for _ in $(seq "$large_runs"); do
  quietly memory-day.log /usr/bin/time -f %M -o "$tmp/peak" "$report" "$records/day.psn"
  tail -n 1 "$tmp/peak" >>"$results/mem-day.txt"
done

step "a day of miniSEED ($day samples, Steim-2): sismavue-report against libmseed's ms_readtraces"
quietly hf-mseed.log hyperfine -N --style basic --warmup 0 --runs "$large_runs" \
  --export-json "$results/hf-mseed.json" "$(command_line "$report" "$records/day.mseed")" \
  "$(command_line "$build/bench/mseed_readtraces" "$records/day.mseed")"
rm -f "$records/day.mseed"

if [ -x "$window" ]; then
  step "window under a private X server: open, plot and spectrum ($main samples)"
  quietly window-main.log env MEASURE_JSON="$results/window-main.jsonl" \
    "$root/tests/e2e/measure_load.sh" "$window" "$records/main.psn" "$window_runs"
  if [ "$quick" = 0 ]; then
    step "window: peak memory ($large samples)"
    quietly window-large.log env MEASURE_JSON="$results/window-large.jsonl" \
      "$root/tests/e2e/measure_load.sh" "$window" "$records/large.psn" 1
  fi
  step "detail window: redraws of a zoom and a pan, 1920 pixels wide, day record ($day samples)"
  quietly plot-day.log env QT_QPA_PLATFORM=offscreen "$build/bench/plot_bench" --record "$records/day.psn" \
    --benchmark_filter='^Detail' --benchmark_repetitions="$large_repetitions" --benchmark_min_time="$min_time" \
    --benchmark_out="$results/plot-day.json" --benchmark_out_format=json
  step "window: open the day record ($day samples), and the endless field ($endless_bytes bytes)"
  quietly window-day.log env MEASURE_JSON="$results/window-day.jsonl" \
    "$root/tests/e2e/measure_load.sh" "$window" "$records/day.psn" "$window_runs"
  quietly window-endless.log env MEASURE_JSON="$results/window-endless.jsonl" MEASURE_LOAD_ONLY=1 \
    "$root/tests/e2e/measure_load.sh" "$window" "$records/endless.psn" 1
fi

if [ -n "${BENCH_KEEP:-}" ]; then
  mkdir -p "$BENCH_KEEP"
  cp "$results"/* "$BENCH_KEEP"/
fi
"$python" "$here/table.py" "$results"
