#!/usr/bin/env bash
# korin16-cli record with a Step 1 protocol: a pulse on electrode 5 is played
# and recorded; a pulse list the editor refuses, or a number the window's boxes
# would correct, ends the command with its message and writes nothing; pulses
# that reach no tissue warn; a stimulus the device refuses exits 3.
set -euo pipefail
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$cli" record --out "$dir" --time 1 --s1-electrode 5 --step1-s1 "Biphasic,0.1,-10,0,99.9" > "$dir/record.log"
grep -q "trace 0001" "$dir/record.log"
"$cli" info "$dir"/*.pldat > "$dir/info.txt"
grep -q "^Whole blocks: 2$" "$dir/info.txt"

mkdir "$dir/refused"
expect_refusal() {
  local message="$1"; shift
  if "$cli" record --out "$dir/refused" --time 1 --s1-electrode 5 "$@" > /dev/null 2> "$dir/refused.err"; then
    echo "record accepted $*" >&2
    exit 1
  fi
  grep -qF -- "$message" "$dir/refused.err"
  test -z "$(ls -A "$dir/refused")"
}
expect_refusal "A stimulation pattern must be shorter than the record time." --step1-s1 "Const,1,5,0,2000"
expect_refusal "Duration, Pre and Post must be 0 ms or more." --step1-s1 "Biphasic,0.1,-10,-1,99.9"
expect_refusal "\"Post\" value of the last pulse must be over 0 ms." --step1-s1 "Const,1,5,0,0"
expect_refusal 'the pulse type "Square" is neither "Biphasic" nor "Const"' --step1-s1 "Square,1,5,0,10"
expect_refusal "electrode from 1 to 16" --s2-electrode 17
expect_refusal '--step1-s1 pulse 2 "Biphasic,0.1,-1O,0,99.9": the Intensity "-1O" is not a number' \
  --step1-s1 "Biphasic,0.1,-10,0,9.9;Biphasic,0.1,-1O,0,99.9"
expect_refusal 'the Intensity "abc" is not a number' --step1-s1 "Biphasic,0.1,abc,0,99.9"
expect_refusal 'the Intensity "" is not a number' --step1-s1 "Biphasic,0.1,,0,99.9"
expect_refusal "the intensity -150 µA is beyond the stimulator's ±100 µA" --step1-s1 "Biphasic,0.1,-150,0,99.9"
expect_refusal 'the Post "x" is not a number' --step1-s1 "Biphasic,0.1,-10,0,x"
expect_refusal "A pulse, with its pre and post times, must last at least one sample (0.05 ms)." \
  --step1-s1 "Const,0,-10,0,0"
expect_refusal "Trace 2 would stimulate with -105 µA on S1; the stimulator's limit is 100 µA." \
  --repeat 2 --interval 2 --step1-s1 "Biphasic,0.1,-100,0,99.9" --by-rep --increment 5

# Pulses without an electrode, and an electrode without pulses: one warning each, and a recording.
mkdir "$dir/unrouted"
"$cli" record --out "$dir/unrouted" --time 1 --step1-s1 "Biphasic,0.1,-10,0,99.9" --s2-electrode 3 \
  > /dev/null 2> "$dir/unrouted.err"
test "$(grep -c '^warning: ' "$dir/unrouted.err")" -eq 2
grep -qxF "warning: S1 has pulses but no electrode: nothing reaches the tissue." "$dir/unrouted.err"
grep -qxF "warning: S2 has an electrode but no pulses: electrode 3 gets no stimulus." "$dir/unrouted.err"
test -n "$(ls "$dir"/unrouted/*.pldat)"

# The device refuses the stimulus of trace 2: the run records all three traces and exits 3.
mkdir "$dir/faulty"
status=0
"$cli" record --out "$dir/faulty" --time 1 --repeat 3 --interval 2 --s1-electrode 5 \
  --step1-s1 "Biphasic,0.1,-10,0,99.9" --sim-refuse-stimulus 2 > "$dir/faulty.log" 2> "$dir/faulty.err" || status=$?
test "$status" -eq 3
grep -qxF "Stimulus not played in traces: 2" "$dir/faulty.log"
grep -qxF "error: The stimulus of trace 2 was not played (see the console)." "$dir/faulty.err"
grep -q "^trace 0003" "$dir/faulty.log"
test "$(tail -c 34 "$dir"/faulty/*_settings.txt)" = $'\r\nStimulus not played in traces: 2'
echo "record with stimulation: ok"
