#!/usr/bin/env bash
# Runs pumpcalc-cli as a user does and checks its exact output bytes and exit codes.
# Usage: cli_end_to_end.sh PROGRAM [RUNNER ARGS...]   (RUNNER: e.g. the Wine runner)
set -u
program=$1
shift
runner=("$@")
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() { "${runner[@]}" "$program" "$@"; }

# expect NAME EXPECTED_EXIT EXPECTED_STDOUT EXPECTED_STDERR -- ARGS... [< stdin from $input]
expect() {
  local name=$1 want_code=$2 want_out=$3 want_err=$4
  shift 5
  run "$@" <"${input:-/dev/null}" >"$work/out" 2>"$work/err"
  local code=$?
  local out err
  out=$(cat "$work/out"; echo x)
  err=$(cat "$work/err"; echo x)
  if [[ $code != "$want_code" || ${out%x} != "$want_out" || ($want_err != "*" && ${err%x} != "$want_err") ]]; then
    echo "FAIL $name: exit $code (want $want_code)"
    echo "  stdout: $(printf %q "${out%x}")"
    echo "    want: $(printf %q "$want_out")"
    echo "  stderr: $(printf %q "${err%x}")"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

nl=$'\n'
tab=$'\t'
expect worked-example 0 "17.020697167756${nl}18.7227668845316${nl}20.4248366013072${nl}" "" -- 100 50 80
expect zero-efficiency 1 "" "Floating point division by zero${nl}" -- 100 50 0
expect not-a-number 1 "" "'abc' is not a valid floating point value${nl}" -- abc 50 80
expect overflow-first 1 "" "Floating point overflow${nl}" -- 1e200 1e200 x
expect negative 0 "-17.020697167756${nl}-18.7227668845316${nl}-20.4248366013072${nl}" "" -- 100 50 -80
expect comma 0 "17,020697167756${nl}18,7227668845316${nl}20,4248366013072${nl}" "" -- --decimal-separator , 100 50 80
expect usage 2 "" "*" -- 1 2
expect unknown-option 2 "" "*" -- --nope 1 2 3

printf '100\t50\t80\r\n1\t2\n0\t0\t0\n' >"$work/pumps.tsv"
input="$work/pumps.tsv" expect batch 1 \
  "100${tab}50${tab}80${tab}17.020697167756${tab}18.7227668845316${tab}20.4248366013072${nl}1${tab}2${tab}error${tab}expected 3 tab-separated fields (flow, head, efficiency), found 2${nl}0${tab}0${tab}0${tab}error${tab}Invalid floating point operation${nl}" \
  "" -- --batch
printf '50\t20\t70\n' >"$work/good.tsv"
input="$work/good.tsv" expect batch-all-good 0 \
  "50${tab}20${tab}70${tab}3.89044506691565${tab}4.27948957360722${tab}4.66853408029879${nl}" "" -- --batch

run --help >"$work/help" 2>&1 && grep -q -- '--decimal-separator' "$work/help" || {
  echo "FAIL help"
  failures=$((failures + 1))
}

echo "$failures failed"
[[ $failures == 0 ]]
