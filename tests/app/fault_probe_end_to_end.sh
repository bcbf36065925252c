#!/usr/bin/env bash
# Runs the fault probe and checks that each failure ends the program through the last
# resort: exit code 1 and the fallback text naming the error.
# Usage: fault_probe_end_to_end.sh PROBE [RUNNER ARGS...]
set -u
probe=$1
shift
runner=("$@")
failures=0

expect() {
  local mode=$1 want_code=$2 pattern=$3
  local err code
  err=$("${runner[@]}" "$probe" "$mode" 2>&1 >/dev/null)
  code=$?
  err=${err//$'\r'/}
  if [[ $code != "$want_code" ]] || ! grep -qE -- "$pattern" <<<"$err"; then
    echo "FAIL $mode: exit $code (want $want_code), output: $(printf %q "$err")"
    failures=$((failures + 1))
  else
    echo "ok   $mode"
  fi
}

expect "" 0 ""
expect read-null 1 "^Exception EAccessViolation in module fault_probe\.exe at [0-9A-F]{8}\.$"
expect read-null 1 "^Access violation at address [0-9A-F]{8,} in module 'fault_probe\.exe'\. Read of address 00000000\.$"
expect write-null 1 "Write of address 00000000\."
expect stack-overflow 1 "^Exception EStackOverflow in module .* at [0-9A-F]{8}\.$"
expect stack-overflow 1 "^Stack overflow\.$"
expect zero-divide 1 "^Exception EZeroDivide in module .*$"
expect zero-divide 1 "^Floating point division by zero\.$"
expect convert 1 "^'abc' is not a valid floating point value\.$"
expect foreign 1 "^Exception std::runtime_error in module fault_probe\.exe at 00000000\.$"

echo "$failures failed"
[[ $failures == 0 ]]
