#!/usr/bin/env bash
# Throughput of pumpcalc-cli's batch mode beside two programs that do the same work, on the
# same generated pump schedule, in one run: plain_batch (the formula with doubles,
# std::from_chars and std::to_chars; see plain_batch.cpp) and awk. Twice: headerless TSV
# (`--batch`), and CSV as a spreadsheet saves it, with a header, CRLF and a byte-order
# mark (`--format csv --header --motor-rating`, the others adding the rating too). Then the
# same rows with a Chinese pump name in front, as a spreadsheet on a Chinese Windows saves
# them: in GB18030 (`--encoding gb18030`) beside the same file in UTF-8.
#
# Usage: batch_vs_awk.sh PUMPCALC_CLI PLAIN_BATCH [ROWS] [RUNS]
#   ROWS  rows in the generated schedule (default 1000000)
#   RUNS  timed runs of each program (default 5), after one untimed warm-up run of each
# With PUMPCALC_BASELINE=PROGRAM, an earlier pumpcalc-cli runs both schedules, on all
# processors and on one thread, in the same turns, for a before-and-after figure.
#
# The schedule comes from a fixed-seed Park-Miller generator written in awk (all products
# stay below 2^53, so every awk computes the same rows). The programs take turns, run by
# run, so that a load that comes and goes on the machine meets all of them; each figure is
# the median of its runs. pumpcalc-cli also runs with --threads 1, for its one-thread figure.
# Prints rows per second and whether pumpcalc-cli reaches the targets: at least plain_batch's
# rate, on all processors and on one thread, and 5 times awk's; for GB18030 at least 0.8
# times the rate of the same rows in UTF-8.
set -euo pipefail
export LC_ALL=C  # "." as the decimal separator for every program

if [[ $# -lt 2 ]]; then
  echo "usage: $0 PUMPCALC_CLI PLAIN_BATCH [ROWS] [RUNS]" >&2
  exit 2
fi
cli=$(readlink -f "$1")
plain=$(readlink -f "$2")
rows=${3:-1000000}
runs=${4:-5}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v rows="$rows" -f "$(dirname "$(readlink -f "$0")")/schedule.awk" >"$work/pumps.tsv"
{
  printf '\xEF\xBB\xBFflow (m3/h),head (m),efficiency (%%)\r\n'
  tr '\t' ',' <"$work/pumps.tsv" | sed 's/$/\r/'
} >"$work/pumps.csv"
awk 'BEGIN { FS = "\t"; printf "泵号,流量 (m3/h),扬程 (m),效率 (%%)\r\n" }
  { printf "冷却水泵-%d,%s,%s,%s\r\n", NR, $1, $2, $3 }' "$work/pumps.tsv" >"$work/names.csv"
iconv -f utf-8 -t gb18030 "$work/names.csv" >"$work/names-gb18030.csv"

# The formula with the C library's doubles, printed as pumpcalc prints: 15 significant
# digits; for CSV with the header and the motor rating by binary search.
cat >"$work/tsv.awk" <<'EOF'
BEGIN { FS = "\t" }
{ n = $1 * $2 / (367.2 * $3 * 0.01); printf "%s\t%s\t%s\t%.15g\t%.15g\t%.15g\n", $1, $2, $3, n, 1.1 * n, 1.2 * n }
EOF
cat >"$work/csv.awk" <<'EOF'
BEGIN {
  FS = ","
  count = split("0.06 0.09 0.12 0.18 0.25 0.37 0.55 0.75 1.1 1.5 2.2 3 4 5.5 7.5 11 15 18.5 22 30 37 45 55 75 90 110 132 160 200 250 315 355 400 450 500 560 630 710 800 900 1000", rating, " ")
}
NR == 1 {
  sub(/\r$/, "")
  printf "%s,shaft power (kW),lower motor power (kW),upper motor power (kW),motor rating (kW)\r\n", $0
  next
}
{
  sub(/\r$/, "")
  n = $1 * $2 / (367.2 * $3 * 0.01); lower = 1.1 * n
  low = 1; high = count + 1
  while (low < high) { middle = int((low + high) / 2); if (rating[middle] + 0 < lower) low = middle + 1; else high = middle }
  printf "%s,%.15g,%.15g,%.15g,%s\r\n", $0, n, lower, 1.2 * n, (low > count) ? ">" rating[count] : rating[low]
}
EOF

names=(tsv-pumpcalc tsv-pumpcalc-1thread tsv-plain tsv-awk
  csv-pumpcalc csv-pumpcalc-1thread csv-plain csv-awk
  names-utf8 names-utf8-1thread names-gb18030 names-gb18030-1thread)
spreadsheet="--format csv --header --columns 2,3,4 --motor-rating"
baseline=${PUMPCALC_BASELINE:+$(readlink -f "$PUMPCALC_BASELINE")}
[[ -n $baseline ]] &&
  names=(tsv-baseline tsv-baseline-1thread csv-baseline csv-baseline-1thread "${names[@]}")
declare -A commands=(
  [tsv-baseline]="'$baseline' --batch < '$work/pumps.tsv'"
  [tsv-baseline-1thread]="'$baseline' --batch --threads 1 < '$work/pumps.tsv'"
  [csv-baseline]="'$baseline' --format csv --header --motor-rating < '$work/pumps.csv'"
  [csv-baseline-1thread]="'$baseline' --format csv --header --motor-rating --threads 1 < '$work/pumps.csv'"
  [tsv-pumpcalc]="'$cli' --batch < '$work/pumps.tsv'"
  [tsv-pumpcalc-1thread]="'$cli' --batch --threads 1 < '$work/pumps.tsv'"
  [tsv-plain]="'$plain' < '$work/pumps.tsv'"
  [tsv-awk]="awk -f '$work/tsv.awk' < '$work/pumps.tsv'"
  [csv-pumpcalc]="'$cli' --format csv --header --motor-rating < '$work/pumps.csv'"
  [csv-pumpcalc-1thread]="'$cli' --format csv --header --motor-rating --threads 1 < '$work/pumps.csv'"
  [csv-plain]="'$plain' --csv < '$work/pumps.csv'"
  [csv-awk]="awk -f '$work/csv.awk' < '$work/pumps.csv'"
  [names-utf8]="'$cli' $spreadsheet < '$work/names.csv'"
  [names-utf8-1thread]="'$cli' $spreadsheet --threads 1 < '$work/names.csv'"
  [names-gb18030]="'$cli' $spreadsheet --encoding gb18030 < '$work/names-gb18030.csv'"
  [names-gb18030-1thread]="'$cli' $spreadsheet --encoding gb18030 --threads 1 < '$work/names-gb18030.csv'"
)

# Each output once: pumpcalc's exact results against the doubles of the others (the last
# digit differs now and then), and its two thread counts against each other.
for name in "${names[@]}"; do bash -c "${commands[$name]}" >"$work/$name.out" || true; done
differing() {
  paste -d'\n' "$work/$1.out" "$work/$2.out" |
    awk 'NR % 2 == 1 { line = $0; next } $0 != line { ++d } END { print d + 0 }'
}
echo "rows: $rows (TSV $(wc -c <"$work/pumps.tsv") bytes, CSV $(wc -c <"$work/pumps.csv") bytes," \
  "with names $(wc -c <"$work/names.csv") bytes in UTF-8, $(wc -c <"$work/names-gb18030.csv") in GB18030)," \
  "runs: $runs after 1 warm-up, $(nproc) processors"
echo "awk: $(readlink -f "$(command -v awk)")"
for format in tsv csv; do
  cmp -s "$work/$format-pumpcalc.out" "$work/$format-pumpcalc-1thread.out" ||
    { echo "$format: pumpcalc-cli's output depends on its thread count" >&2; exit 1; }
  if [[ -n $baseline ]]; then
    cmp -s "$work/$format-pumpcalc.out" "$work/$format-baseline.out" ||
      { echo "$format: the baseline's output differs from pumpcalc-cli's" >&2; exit 1; }
  fi
  echo "$format: lines where pumpcalc-cli differs from plain_batch: $(differing "$format-pumpcalc" "$format-plain")," \
    "from awk: $(differing "$format-pumpcalc" "$format-awk")"
done
# The GB18030 run writes the UTF-8 run's output in GB18030, as iconv converts it.
iconv -f utf-8 -t gb18030 "$work/names-utf8.out" | cmp -s - "$work/names-gb18030.out" ||
  { echo "names: the GB18030 output is not the UTF-8 output in GB18030" >&2; exit 1; }

# seconds COMMAND: the wall time of one run.
seconds() {
  local start end
  start=$(date +%s%N)
  bash -c "$1" >/dev/null || true
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.6f", ns / 1e9 }'
}
declare -A times
for name in "${names[@]}"; do bash -c "${commands[$name]}" >/dev/null || true; done
for ((run = 0; run < runs; ++run)); do
  for name in "${names[@]}"; do times[$name]+="$(seconds "${commands[$name]}") "; done
done

median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
for format in tsv csv names; do
  echo
  echo "$format:"
  for name in "${names[@]}"; do
    [[ $name == $format-* ]] || continue
    awk -v name="${name#*-}" -v rows="$rows" -v t="$(median "${times[$name]}")" \
      'BEGIN { printf "  %-18s %8.3f s  %12.0f rows/s\n", name, t, rows / t }'
  done
  if [[ $format == names ]]; then
    awk -v u="$(median "${times[names-utf8]}")" -v g="$(median "${times[names-gb18030]}")" \
      -v u1="$(median "${times[names-utf8-1thread]}")" -v g1="$(median "${times[names-gb18030-1thread]}")" 'BEGIN {
      printf "  GB18030 / UTF-8 rows/s:        %.2f (target >= 0.8): %s\n", u / g, (u / g >= 0.8) ? "met" : "MISSED"
      printf "  the same, one thread:          %.2f (target >= 0.8): %s\n", u1 / g1, (u1 / g1 >= 0.8) ? "met" : "MISSED"
    }'
    continue
  fi
  awk -v p="$(median "${times[$format-pumpcalc]}")" -v c="$(median "${times[$format-plain]}")" \
    -v a="$(median "${times[$format-awk]}")" -v p1="$(median "${times[$format-pumpcalc-1thread]}")" 'BEGIN {
    printf "  pumpcalc / plain_batch rows/s: %.2f (target >= 1): %s\n", c / p, (c / p >= 1) ? "met" : "MISSED"
    printf "  one thread / plain_batch:      %.2f (target >= 1): %s\n", c / p1, (c / p1 >= 1) ? "met" : "MISSED"
    printf "  pumpcalc / awk rows/s:         %.2f (target >= 5): %s\n", a / p, (a / p >= 5) ? "met" : "MISSED"
  }'
  if [[ -n $baseline ]]; then
    awk -v p="$(median "${times[$format-pumpcalc]}")" -v b="$(median "${times[$format-baseline]}")" \
      -v p1="$(median "${times[$format-pumpcalc-1thread]}")" \
      -v b1="$(median "${times[$format-baseline-1thread]}")" \
      'BEGIN { printf "  pumpcalc / baseline rows/s:    %.2f, one thread %.2f\n", b / p, b1 / p1 }'
  fi
done
