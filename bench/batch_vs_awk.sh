#!/usr/bin/env bash
# Throughput of `pumpcalc-cli --batch` beside awk computing the same formula, on the same
# generated pump schedule, in one run.
#
# Usage: batch_vs_awk.sh PUMPCALC_CLI [ROWS] [RUNS]
#   ROWS  rows in the generated file (default 1000000)
#   RUNS  timed runs of each program (default 5); one untimed warm-up run precedes them
#
# The schedule comes from a fixed-seed Park-Miller generator written in awk (all products
# stay below 2^53, so every awk computes the same rows), so each run times the same bytes.
# Times come from hyperfine when it is installed, else from bash with date(1). Prints rows
# per second of both, the ratio, and whether pumpcalc reaches 3 times awk's rate.
set -euo pipefail
export LC_ALL=C  # "." as the decimal separator for both programs

if [[ $# -lt 1 ]]; then
  echo "usage: $0 PUMPCALC_CLI [ROWS] [RUNS]" >&2
  exit 2
fi
cli=$(readlink -f "$1")
rows=${2:-1000000}
runs=${3:-5}
target_ratio=3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input=$work/pumps.tsv

# Flow 0.5-999.99 m3/h with 2 decimals, head 1-250 m with 1 decimal, efficiency 30-90 %
# with 1 decimal: the shapes of text that a pump schedule holds.
awk -v rows="$rows" 'BEGIN {
  seed = 20240601
  for (i = 0; i < rows; ++i) {
    seed = (seed * 16807) % 2147483647; flow = 50 + seed % 99950
    seed = (seed * 16807) % 2147483647; head = 10 + seed % 2490
    seed = (seed * 16807) % 2147483647; eff = 300 + seed % 601
    printf "%.2f\t%.1f\t%.1f\n", flow / 100, head / 10, eff / 10
  }
}' >"$input"

# The formula with the C library's doubles, printed as pumpcalc prints: 15 significant digits.
awk_program='{ n = $1 * $2 / (367.2 * $3 * 0.01); printf "%s\t%s\t%s\t%.15g\t%.15g\t%.15g\n", $1, $2, $3, n, 1.1 * n, 1.2 * n }'
awk_path=$(readlink -f "$(command -v awk)")
printf '%s\n' "$awk_program" >"$work/formula.awk"

pumpcalc_cmd="'$cli' --batch < '$input' > /dev/null"
awk_cmd="awk -F'\t' -f '$work/formula.awk' < '$input' > /dev/null"

# Both outputs once, to show they agree (the last digit may differ: awk rounds in doubles).
"$cli" --batch <"$input" >"$work/pumpcalc.out"
awk -F'\t' -f "$work/formula.awk" <"$input" >"$work/awk.out"
differing=$(paste -d'\n' "$work/pumpcalc.out" "$work/awk.out" |
  awk 'NR % 2 == 1 { line = $0; next } $0 != line { ++d } END { print d + 0 }')

echo "rows: $rows ($(wc -c <"$input") bytes), runs: $runs after 1 warm-up"
echo "awk: $awk_path"
echo "output lines that differ between the two: $differing of $rows"

if command -v hyperfine >/dev/null; then
  echo "timer: $(hyperfine --version)"
  hyperfine --style basic --warmup 1 --runs "$runs" --export-csv "$work/times.csv" \
    -n pumpcalc "$pumpcalc_cmd" -n awk "$awk_cmd"
  pumpcalc_seconds=$(awk -F, '$1 == "pumpcalc" { print $2 }' "$work/times.csv")
  awk_seconds=$(awk -F, '$1 == "awk" { print $2 }' "$work/times.csv")
else
  echo "timer: bash and date (hyperfine not installed)"
  # mean_seconds COMMAND: the mean wall time of $runs runs after one warm-up.
  mean_seconds() {
    local command=$1 total=0 start end i
    bash -c "$command"
    for ((i = 0; i < runs; ++i)); do
      start=$(date +%s%N)
      bash -c "$command"
      end=$(date +%s%N)
      total=$((total + end - start))
    done
    awk -v ns="$total" -v runs="$runs" 'BEGIN { printf "%.6f", ns / runs / 1e9 }'
  }
  pumpcalc_seconds=$(mean_seconds "$pumpcalc_cmd")
  awk_seconds=$(mean_seconds "$awk_cmd")
fi

awk -v rows="$rows" -v p="$pumpcalc_seconds" -v a="$awk_seconds" -v target="$target_ratio" 'BEGIN {
  printf "pumpcalc-cli --batch: %8.3f s  %12.0f rows/s\n", p, rows / p
  printf "awk:                  %8.3f s  %12.0f rows/s\n", a, rows / a
  ratio = a / p
  verdict = ratio >= target ? "met" : "MISSED"
  printf "ratio (pumpcalc rows/s / awk rows/s): %.2f (target >= %d): %s\n", ratio, target, verdict
}'
