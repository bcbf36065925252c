#!/usr/bin/env bash
# The start-up of `pumpcalc-cli 100 50 80` beside the floor, a console program built with the
# same toolchain that prints the same three lines (bench/minimal_console.cpp): the native
# build beside the native floor, and pumpcalc-cli.exe under Wine beside minimal_console.exe
# under Wine, in one run.
#
# Usage: cli_startup.sh PUMPCALC_CLI PUMPCALC_CLI_EXE MINIMAL_CONSOLE MINIMAL_CONSOLE_EXE \
#            [EARLIER_CLI EARLIER_CLI_EXE]
#   EARLIER_CLI and EARLIER_CLI_EXE: another build of both (an earlier commit's), timed in the
#   same turns, so that the two builds compare within one run.
#   environment: RUNS (timed runs of each program, default 51, after 3 untimed warm-up runs
#   each), PUMPCALC_WINEPREFIX (default build/windows/wineprefix)
#
# The programs take turns, run by run, so that a load that comes and goes meets all of them
# alike, in the opposite order every other run, since under Wine a start right after another
# one's end is slower than one after a pause. Each run is the wall time from the shell's start of the process to its end, standard
# output into /dev/null; each figure is the median of its runs, in milliseconds. Beside it the
# mean CPU time (user and system) of the process and its children, which a busy machine
# disturbs less (Wine's server runs apart and is not in it). Every program must print the
# same bytes. The target: pumpcalc-cli at most 1.1 times its floor, on each side, in wall time.
set -euo pipefail
export LC_ALL=C  # "." as the decimal separator

if [[ $# -ne 4 && $# -ne 6 ]]; then
  echo "usage: $0 PUMPCALC_CLI PUMPCALC_CLI_EXE MINIMAL_CONSOLE MINIMAL_CONSOLE_EXE" \
    "[EARLIER_CLI EARLIER_CLI_EXE]" >&2
  exit 2
fi
here=$(dirname "$(readlink -f "$0")")
runs=${RUNS:-51}

# Wine as tools/wine-run sets it up: the prefix made and its server kept running; the
# programs are then started by Wine's 64-bit loader itself, without the shell script that
# Debian's `wine` is (when the loader is where Debian puts it).
export WINEPREFIX=${PUMPCALC_WINEPREFIX:-$here/../build/windows/wineprefix}
"$here/../tools/wine-run" --prefix "$WINEPREFIX" "$(readlink -f "$2")" --help >/dev/null
export WINEPREFIX=$(cd "$WINEPREFIX" && pwd) WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine)
if [[ -x /usr/lib/wine/wine64 ]]; then
  export WINELOADER=/usr/lib/wine/wine64
  wine=$WINELOADER
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

declare -A commands=(
  [cli-native]="$(readlink -f "$1")"
  [cli-wine]="$wine $(readlink -f "$2")"
  [floor-native]="$(readlink -f "$3")"
  [floor-wine]="$wine $(readlink -f "$4")"
)
names=(floor-native cli-native floor-wine cli-wine)
if [[ $# -eq 6 ]]; then
  commands[earlier-native]="$(readlink -f "$5")"
  commands[earlier-wine]="$wine $(readlink -f "$6")"
  names=(floor-native cli-native earlier-native floor-wine cli-wine earlier-wine)
fi

# The program with the pump's arguments (the floor ignores them); word splitting of the
# command is wanted: "wine PROGRAM".
start() {
  # shellcheck disable=SC2086
  ${commands[$1]} 100 50 80
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min), $(nproc) processors"
expected=$(start floor-native | od -An -tx1)
for name in "${names[@]}"; do
  for ((warm = 0; warm < 3; ++warm)); do
    [[ $(start "$name" | od -An -tx1) == "$expected" ]] ||
      { echo "$name: prints other bytes than the floor" >&2; exit 1; }
  done
done

# The CPU time of this shell's finished children so far ("user system", as `times` writes
# them), read without starting a process.
children_cpu() {
  times >"$work/times"
  { read -r _; read -r cpu; } <"$work/times"
}
# Wall milliseconds from bash's own clock, and the children's CPU time before and after.
declare -A walls cpus
reversed=()
for name in "${names[@]}"; do reversed=("$name" "${reversed[@]}"); done
for ((run = 0; run < runs; ++run)); do
  if ((run % 2 == 0)); then order=("${names[@]}"); else order=("${reversed[@]}"); fi
  for name in "${order[@]}"; do
    children_cpu
    before=$cpu
    begin=$EPOCHREALTIME
    start "$name" >/dev/null
    end=$EPOCHREALTIME
    children_cpu
    walls[$name]+="$(awk -v b="$begin" -v e="$end" 'BEGIN { printf "%.3f", (e - b) * 1000 }') "
    cpus[$name]+="$before $cpu "
  done
done
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
# The mean of the runs' CPU times in milliseconds, from "0m0.012s"-style pairs of readings.
mean_cpu() {
  tr ' ' '\n' <<<"$1" | grep . | awk -v runs="$runs" '
    { split($0, t, /[ms]/); seconds[NR] = t[1] * 60 + t[2] }
    END { for (i = 1; i + 3 <= NR; i += 4) total += seconds[i + 2] + seconds[i + 3] - seconds[i] - seconds[i + 1]
          printf "%.3f", total * 1000 / runs }'
}
declare -A ms cpu
for name in "${names[@]}"; do
  ms[$name]=$(median "${walls[$name]}")
  cpu[$name]=$(mean_cpu "${cpus[$name]}")
done

echo "runs: $runs of each, in turn"
printf '  %-16s %12s %10s\n' program "median (ms)" "CPU (ms)"
for name in "${names[@]}"; do printf '  %-16s %12.2f %10.2f\n' "$name" "${ms[$name]}" "${cpu[$name]}"; done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "pumpcalc-cli 100 50 80 beside the floor (target: at most 1.1):"
for side in native wine; do
  r=$(ratio "${ms[cli-$side]}" "${ms[floor-$side]}")
  line="  $side: $r ($(awk -v r="$r" 'BEGIN { print r <= 1.1 ? "met" : "MISSED" }'))"
  line+=", CPU $(ratio "${cpu[cli-$side]}" "${cpu[floor-$side]}")"
  [[ $# -eq 6 ]] && line+="; the earlier build: $(ratio "${ms[earlier-$side]}" "${ms[floor-$side]}")"
  echo "$line"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
