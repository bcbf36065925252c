#!/usr/bin/env bash
# Runs pumpcalc-cli as a user does and checks its exact output bytes and exit codes.
# Usage: cli_end_to_end.sh PROGRAM [RUNNER ARGS...]   (RUNNER: e.g. the Wine runner)
set -u
program=$(readlink -f "$1")
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
schedule_digest=fa4ae1ee6abaf263486b5d6dab6e054965fb88de750241b958ec36e3eb5b2bf3
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
# A field that holds text beyond ASCII is split at the tabs only, and reads as the window
# reads its box.
nbsp=$'\xC2\xA0'
printf '0.99\t1\t12泵\n3750\t1\t%s12\n' "$nbsp" >"$work/text.tsv"
input="$work/text.tsv" expect batch-text-beyond-ascii 1 \
  "0.99${tab}1${tab}12泵${tab}error${tab}'12泵' is not a valid floating point value${nl}3750${tab}1${tab}${nbsp}12${tab}error${tab}'${nbsp}12' is not a valid floating point value${nl}" \
  "" -- --batch --decimal-separator .

run --help >"$work/help" 2>&1 && grep -q -- '--decimal-separator' "$work/help" &&
  grep -q -- '--encoding' "$work/help" || {
  echo "FAIL help"
  failures=$((failures + 1))
}

# check NAME CONDITION...: a named test of anything else.
check() {
  local name=$1
  shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}

# A hydrocarbon of specific gravity 0.85; a 15 kW pump with a margin of 1.25 (22 kW, where
# the lower motor power would order 18.5).
expect specific-gravity 0 "14.4675925925926${nl}15.9143518518519${nl}17.3611111111111${nl}" "" \
  -- --specific-gravity 0.85 100 50 80
expect margin 0 "15${nl}16.5${nl}18${nl}18.75${nl}22${nl}" "" -- --margin 1.25 110.16 40 80
expect margin-below-one 2 "" "*" -- --margin 0.9 100 50 80
expect specific-gravity-read-after-head 1 "" "'x' is not a valid floating point value${nl}" \
  -- --specific-gravity x 1e200 1e200 y
expect motor-rating 0 "17.020697167756${nl}18.7227668845316${nl}20.4248366013072${nl}22${nl}" "" \
  -- --motor-rating 100 50 80
printf '15\n18.5\nabc\n' >"$work/bad-ratings.txt"
expect bad-ratings-file 2 "" "*" -- --motor-ratings "$work/bad-ratings.txt" 100 50 80

# The spreadsheet round trip of the README, and the same schedule as files. The program
# runs in the work folder, so that the file names mean the same under Wine.
cd "$work"
printf '\xEF\xBB\xBFpump,flow (m3/h),head (m),efficiency (%%)\r\nP-101,100,50,80\r\n"P-102, spare",12.5,"32",1,5\r\n' >pumps.csv
csv_out=$'\xEF\xBB\xBFpump,flow (m3/h),head (m),efficiency (%),shaft power (kW),lower motor power (kW),upper motor power (kW),motor rating (kW)\r\nP-101,100,50,80,17.020697167756,18.7227668845316,20.4248366013072,22\r\n"P-102, spare",12.5,"32",1,5,error,"expected 4 comma-separated fields as in the header, found 5"\r\n'
input=pumps.csv expect csv-round-trip 1 "$csv_out" "" -- --format csv --header --columns 2,3,4 --motor-rating
printf 'old results\n' >results.csv
expect csv-files 1 "" "" -- --format csv --header --columns 2,3,4 --motor-rating --input pumps.csv --output results.csv
check csv-files-output [ "$(cat results.csv; echo x)" == "${csv_out}x" ]
check no-temporary-files [ "$(ls | grep -c results)" == 1 ]
cp pumps.csv before.csv
expect output-is-input 2 "" "*" -- --format csv --input pumps.csv --output ./pumps.csv
ln -f pumps.csv linked.csv
expect output-is-a-link-to-input 2 "" "*" -- --format csv --input pumps.csv --output linked.csv
# Wine cannot tell which file a standard stream it was handed is (Windows can).
if [[ ${#runner[@]} == 0 ]]; then
  input=pumps.csv expect stdin-is-output 2 "" "*" -- --format csv --output pumps.csv
fi
check input-kept cmp -s pumps.csv before.csv
expect missing-input 2 "" "*" -- --input missing.csv --output new.csv
check missing-input-writes-nothing [ ! -e new.csv ]
expect unwritable-output 2 "" "*" -- --input pumps.csv --output no-such-folder/out.csv

# A larger schedule with every feature: both builds and any number of threads write the
# same bytes (their digest is fixed here).
awk 'BEGIN {
  printf "\xEF\xBB\xBF" "tag;Q;H;eta\r\n"
  seed = 7
  for (i = 0; i < 40000; ++i) {
    seed = (seed * 16807) % 2147483647
    q = (seed % 99950 + 50) / 100; h = (seed % 2490 + 10) / 10; e = (seed % 601 + 300) / 10
    if (i % 97 == 0) printf "\"P%d\nspare\";%s;%s;%s\r\n", i, q, h, e
    else if (i % 89 == 0) printf "P%d;\"%s;%s\r\n", i, q, h
    else if (i % 83 == 0) printf "P%d;%s;%s;0\r\n", i, q, h
    else printf "P%d;%s;%s;%s\r\n", i, q, h, e
  }
}' | sed 's/\./,/g' >schedule.csv
large=(--format csv --decimal-separator , --header --columns Q,H,eta --motor-rating --input schedule.csv)
run "${large[@]}" --threads 1 >one.csv
run "${large[@]}" --threads 3 >three.csv
check threads-same-bytes cmp -s one.csv three.csv
check schedule-digest [ "$(sha256sum <one.csv | cut -c1-64)" == "$schedule_digest" ]
# Water's specific gravity and the margin of 1.1 change nothing: the required motor power is
# the lower motor power, and without it the output is the one above.
run "${large[@]}" --threads 2 --specific-gravity 1 >water.csv
check specific-gravity-one-same-bytes cmp -s one.csv water.csv
run "${large[@]}" --threads 2 --margin 1,1 >margin.csv
awk 'BEGIN { FS = OFS = ";" }
{ cr = sub(/\r$/, "") }
NF >= 8 {
  if (NR > 1 && ($(NF - 1) "") != ($(NF - 3) "")) differs = 1
  line = $1
  for (i = 2; i <= NF; ++i) if (i != NF - 1) line = line OFS $i
  $0 = line
}
{ printf "%s%s\n", $0, cr ? "\r" : "" }
END { exit differs }' margin.csv >without-required.csv
check margin-required-is-lower-motor-power [ $? == 0 ]
check margin-today-same-bytes cmp -s one.csv without-required.csv

# A schedule as a spreadsheet on a Chinese Windows saves it, GB18030 with CRLF: the output is
# the UTF-8 run's, converted by iconv (not by the program).
awk 'BEGIN {
  split("一号泵|备用泵“甲”|\"冷却水泵, 二号\"|㐀泵 𠀀|P-101", names, "|")
  printf "泵号,流量 (m3/h),扬程 (m),效率 (%%)\r\n"
  seed = 11
  for (i = 0; i < 500; ++i) {
    seed = (seed * 16807) % 2147483647
    printf "%s,%s,%s,%s\r\n", names[i % 5 + 1], (seed % 99950 + 50) / 100, (seed % 2490 + 10) / 10,
      (i % 50 == 7) ? "x" : (seed % 601 + 300) / 10
  }
}' >utf8.csv
iconv -f utf-8 -t gb18030 utf8.csv >gb18030.csv
spreadsheet=(--format csv --header --decimal-separator . --columns 2,3,4)
run "${spreadsheet[@]}" --input utf8.csv --output utf8-results.csv
run "${spreadsheet[@]}" --encoding gb18030 --input gb18030.csv --output gb18030-results.csv
check gb18030-is-utf8-converted cmp -s gb18030-results.csv <(iconv -f utf-8 -t gb18030 utf8-results.csv)
# auto: on Windows the ANSI code page (936 here), elsewhere a question for --encoding.
grep -v '㐀' utf8.csv | iconv -f utf-8 -t gbk >gbk.csv
if [[ ${#runner[@]} == 0 ]]; then
  expect auto-asks-for-encoding 2 "" "pumpcalc-cli: 'gbk.csv' is not UTF-8: give its encoding with --encoding (gb18030 for CSV saved on a Chinese Windows, ansi for the locale's)${nl}" \
    -- "${spreadsheet[@]}" --input gbk.csv
else
  run "${spreadsheet[@]}" --input gbk.csv --output gbk-results.csv
  check auto-reads-the-ansi-code-page cmp -s gbk-results.csv \
    <(grep -v '㐀' utf8.csv | run "${spreadsheet[@]}" | iconv -f utf-8 -t gbk)
fi
# A byte that begins no code: an error line that names the line and the field.
printf '100,50,80\r\n\xB1\xC3\x81,1,2\r\n' >bad.csv
expect invalid-gb18030 1 $'100,50,80,17.020697167756,18.7227668845316,20.4248366013072\r\n,error,line 2: invalid GB18030 in field 1\r\n' "" \
  -- --format csv --decimal-separator . --encoding gb18030 --input bad.csv

echo "$failures failed"
[[ $failures == 0 ]]
