#!/usr/bin/env bash
# What pumpcalc-cli.exe costs under Wine beside the native Linux build, and what two threads
# give beside one and beside plain_batch, all in one run:
#
#  1. file to file: ROWS rows (default 3,000,000), --input and --output, with --threads 1
#     and 2, native pumpcalc-cli and pumpcalc-cli.exe under Wine;
#  2. from standard input to a file: SMALL_ROWS rows (default 1,000,000), plain_batch
#     (bench/plain_batch.cpp) beside pumpcalc-cli with --threads 1 and 2, native and under
#     Wine (and plain_batch.exe under Wine when given).
#
# Usage: windows_vs_native.sh PUMPCALC_CLI PUMPCALC_CLI_EXE PLAIN_BATCH [PLAIN_BATCH_EXE]
#   environment: ROWS, SMALL_ROWS, RUNS (timed runs of each program, default 5, after one
#   untimed warm-up run each), PUMPCALC_WINEPREFIX (default build/windows/wineprefix)
#
# The programs take turns, run by run, so that a load that comes and goes meets all of
# them; each figure is the median of its runs: the wall time and the CPU time (user and
# system) of the process. Wine's own server runs apart and is not in the CPU time. The load
# average is printed before and after: on a busy machine the wall times say little, the CPU
# times more. The outputs of all pumpcalc runs must be the same bytes.
set -euo pipefail
export LC_ALL=C  # "." as the decimal separator for every program

if [[ $# -lt 3 ]]; then
  echo "usage: $0 PUMPCALC_CLI PUMPCALC_CLI_EXE PLAIN_BATCH [PLAIN_BATCH_EXE]" >&2
  exit 2
fi
here=$(dirname "$(readlink -f "$0")")
cli=$(readlink -f "$1")
exe=$(readlink -f "$2")
plain=$(readlink -f "$3")
plain_exe=${4:+$(readlink -f "$4")}
rows=${ROWS:-3000000}
small_rows=${SMALL_ROWS:-1000000}
runs=${RUNS:-5}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v rows="$rows" -f "$here/schedule.awk" >"$work/big.tsv"
head -n "$small_rows" "$work/big.tsv" >"$work/small.tsv"

# Wine as tools/wine-run sets it up: the prefix made and its server kept running; the
# programs are then started by wine itself, without the helper's own checks.
export WINEPREFIX=${PUMPCALC_WINEPREFIX:-$here/../build/windows/wineprefix}
"$here/../tools/wine-run" --prefix "$WINEPREFIX" "$exe" --help >/dev/null
export WINEPREFIX=$(cd "$WINEPREFIX" && pwd) WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine)

declare -A commands=(
  [file-native-1]="'$cli' --batch --threads 1 --input '$work/big.tsv' --output '$work/file-native-1.out'"
  [file-wine-1]="'$wine' '$exe' --batch --threads 1 --input '$work/big.tsv' --output '$work/file-wine-1.out'"
  [file-native-2]="'$cli' --batch --threads 2 --input '$work/big.tsv' --output '$work/file-native-2.out'"
  [file-wine-2]="'$wine' '$exe' --batch --threads 2 --input '$work/big.tsv' --output '$work/file-wine-2.out'"
  [stdin-plain]="'$plain' < '$work/small.tsv' > '$work/stdin-plain.out'"
  [stdin-native-1]="'$cli' --batch --threads 1 < '$work/small.tsv' > '$work/stdin-native-1.out'"
  [stdin-native-2]="'$cli' --batch --threads 2 < '$work/small.tsv' > '$work/stdin-native-2.out'"
  [stdin-wine-1]="'$wine' '$exe' --batch --threads 1 < '$work/small.tsv' > '$work/stdin-wine-1.out'"
  [stdin-wine-2]="'$wine' '$exe' --batch --threads 2 < '$work/small.tsv' > '$work/stdin-wine-2.out'"
)
names=(file-native-1 file-wine-1 file-native-2 file-wine-2
  stdin-plain stdin-native-1 stdin-native-2 stdin-wine-1 stdin-wine-2)
if [[ -n $plain_exe ]]; then
  commands[stdin-plain-wine]="'$wine' '$plain_exe' < '$work/small.tsv' > '$work/stdin-plain-wine.out'"
  names+=(stdin-plain-wine)
fi

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min), $(nproc) processors"
echo "rows: $rows file to file, $small_rows from standard input; runs: $runs after 1 warm-up"

# Once each, as the warm-up: the outputs must agree.
for name in "${names[@]}"; do bash -c "${commands[$name]}"; done
for name in file-wine-1 file-native-2 file-wine-2; do
  cmp -s "$work/file-native-1.out" "$work/$name.out" ||
    { echo "$name: output differs from the native one-thread output" >&2; exit 1; }
done
head -n "$small_rows" "$work/file-native-1.out" >"$work/expected-small.out"
for name in stdin-native-1 stdin-native-2 stdin-wine-1 stdin-wine-2; do
  cmp -s "$work/expected-small.out" "$work/$name.out" ||
    { echo "$name: output differs from the file-to-file output" >&2; exit 1; }
done

# One run: "wall cpu" in seconds, CPU being user plus system time of the process and its
# children.
measure() {
  local TIMEFORMAT='%3R %3U %3S'
  { time bash -c "$1" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}
declare -A walls cpus
for ((run = 0; run < runs; ++run)); do
  for name in "${names[@]}"; do
    read -r wall cpu < <(measure "${commands[$name]}")
    walls[$name]+="$wall "
    cpus[$name]+="$cpu "
  done
done
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
declare -A wall cpu
for name in "${names[@]}"; do
  wall[$name]=$(median "${walls[$name]}")
  cpu[$name]=$(median "${cpus[$name]}")
done

echo
printf '  %-18s %10s %10s\n' program "wall (s)" "CPU (s)"
for name in "${names[@]}"; do
  printf '  %-18s %10.3f %10.3f\n' "$name" "${wall[$name]}" "${cpu[$name]}"
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v t="$2" -v op="$3" 'BEGIN { ok = op == "<=" ? r <= t : r >= t; print ok ? "met" : "MISSED" }'; }
echo
echo "file to file, pumpcalc-cli.exe under Wine / native (target: wall <= 1.25):"
for threads in 1 2; do
  w=$(ratio "${wall[file-wine-$threads]}" "${wall[file-native-$threads]}")
  c=$(ratio "${cpu[file-wine-$threads]}" "${cpu[file-native-$threads]}")
  echo "  $threads thread(s): wall $w ($(verdict "$w" 1.25 "<=")), CPU $c"
done
echo "from standard input, rows per second beside plain_batch (target: 2 threads >= 1.8):"
for side in native wine; do
  for threads in 1 2; do
    r=$(ratio "${wall[stdin-plain]}" "${wall[stdin-$side-$threads]}")
    line="  $side, $threads thread(s): $r"
    [[ $threads == 2 ]] && line+=" ($(verdict "$r" 1.8 ">="))"
    if [[ $side == wine && -n $plain_exe ]]; then
      line+="; beside plain_batch.exe under Wine: $(ratio "${wall[stdin-plain-wine]}" "${wall[stdin-wine-$threads]}")"
    fi
    echo "$line"
  done
  echo "  $side, 2 threads beside 1: $(ratio "${wall[stdin-$side-1]}" "${wall[stdin-$side-2]}")"
done
echo
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
