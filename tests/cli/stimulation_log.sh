#!/usr/bin/env bash
# The stimulation log of korin16-cli record: an LTP session in one command
# (baseline, a manual train between traces, follow-up), a run killed mid-way
# keeps the rows of every trace it stimulated, a refused stimulus is logged as
# not played, and wrong manual options are refused before anything is written.
set -euo pipefail
cli="$1"
dir=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$dir"' EXIT

test_pulse="Biphasic,0.2,-40,10,89.8"
train=$(printf 'Biphasic,0.2,-40,0,9.8;%.0s' $(seq 20))
train=${train%;}

# --- LTP session: two baseline traces, 20 pulses at 100 Hz, three follow-up traces.
mkdir "$dir/ltp"
"$cli" record --out "$dir/ltp" --time 1 --repeat 5 --interval 10 --s1-electrode 5 --step1-s1 "$test_pulse" \
  --manual-s1 "$train" --manual-s1-electrode 5 --manual-after-trace 2 > "$dir/ltp.log"
grep -qx "manual stimulation after trace 0002: 20 pulses" "$dir/ltp.log"
run=$(ls "$dir"/ltp/*[0-9]s.pldat)
manual=$(ls "$dir"/ltp/*_Manual\ Stim.pldat)
run_log="${run%.pldat}_stimulation.csv"
manual_log="${manual%.pldat}_stimulation.csv"
grep -qxF "Wrote $run_log" "$dir/ltp.log"
grep -qxF "Wrote $manual_log" "$dir/ltp.log"
# The run's log: one row per trace, the trace's number and its step.
test "$(tail -n +2 "$run_log" | cut -d, -f1,2,8 | tr -d '\r' | tr '\n' ' ')" = "1,1,10 2,1,10 3,1,10 4,1,10 5,1,10 "
# The manual file's log: its own trace 1, step M, a pulse every 10 ms.
test "$(tail -n +2 "$manual_log" | grep -c '^1,M,0,0,S1,5,')" -eq 20
test "$(tail -n 1 "$manual_log")" = $'1,M,0,0,S1,5,20,190,Biphasic,0.2,-40,1\r'
"$cli" info "$manual" > "$dir/manual.txt"
grep -qx "Pulses: 20" "$dir/manual.txt"
grep -qx "Intensity: S1 -40 uA; S2 none" "$dir/manual.txt"
"$cli" info "$run" > "$dir/run.txt"
grep -qx "Traces stimulated: 1-5" "$dir/run.txt"

# --- A killed run: every trace in the data file has its rows in the log.
mkdir "$dir/killed"
"$cli" record --out "$dir/killed" --realtime --time 0.5 --repeat 20 --interval 1 --s1-electrode 5 \
  --step1-s1 "Biphasic,0.2,-20,10,39.8;Biphasic,0.2,-20,0,49.8" > "$dir/killed.log" &
pid=$!
for _ in $(seq 300); do
  grep -q "^trace 0003" "$dir/killed.log" 2>/dev/null && break
  sleep 0.1
done
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=""
killed=$(ls "$dir"/killed/*.pldat)
traces=$("$cli" info "$killed" | sed -n 's/^Traces found: //p')
test "$traces" -ge 3
rows=$(tail -n +2 "${killed%.pldat}_stimulation.csv" | cut -d, -f1 | sort -n | uniq -c)
for t in $(seq "$traces"); do
  echo "$rows" | grep -qE "^ +2 $t$"
done

# --- A refused stimulus: played 0 in its rows and "Not played" in info.
mkdir "$dir/refused"
status=0
"$cli" record --out "$dir/refused" --time 1 --repeat 3 --interval 2 --s1-electrode 5 --step1-s1 "$test_pulse" \
  --sim-refuse-stimulus 2 > /dev/null 2>&1 || status=$?
test "$status" -eq 3
refused=$(ls "$dir"/refused/*.pldat)
test "$(tail -n +2 "${refused%.pldat}_stimulation.csv" | cut -d, -f1,12 | tr -d '\r' | tr '\n' ' ')" = "1,1 2,0 3,1 "
"$cli" info "$refused" > "$dir/refused.txt"
grep -qx "Not played: trace 2 S1" "$dir/refused.txt"
"$cli" info --json "$refused" | grep -qF '"notPlayed":[{"trace":2,"output":"S1"}]'

# --- Export of a range: the rows in it, onsets from the first exported sample.
"$cli" export "$refused" --format csv --out "$dir/part" --traces 2-3 --ms 5-1000 2> /dev/null
test "$(tail -n +2 "$dir/part_stimulation.csv" | cut -d, -f1,8,12 | tr -d '\r' | tr '\n' ' ')" = "2,5,0 3,5,1 "
"$cli" export "$refused" --format short --out "$dir/late" --ms 20-1000 2> /dev/null
test "$(wc -l < "$dir/late_stimulation.csv")" -eq 1  # the column names only

# --- Manual options refused, nothing written.
mkdir "$dir/none"
expect_refusal() {
  local message="$1"; shift
  if "$cli" record --out "$dir/none" --time 1 --repeat 3 --interval 2 "$@" > /dev/null 2> "$dir/none.err"; then
    echo "record accepted $*" >&2
    exit 1
  fi
  grep -qF -- "$message" "$dir/none.err"
  test -z "$(ls -A "$dir/none")"
}
expect_refusal "--manual-after-trace needs the pulses of --manual-s1 or --manual-s2" --manual-after-trace 1
expect_refusal "--manual-s1 and --manual-s2 need --manual-after-trace K" --manual-s1 "$test_pulse"
expect_refusal "--manual-after-trace 3 needs a trace to follow it: the run records 3" \
  --manual-s1 "$test_pulse" --manual-s1-electrode 5 --manual-after-trace 3
expect_refusal "--manual-after-trace needs a trace number from 1" --manual-after-trace 0
expect_refusal '--manual-s2 pulse 1 "Const,1,x,0,10": the Intensity "x" is not a number' \
  --manual-s2 "Const,1,x,0,10" --manual-after-trace 1
expect_refusal "\"Post\" value of the last pulse must be over 0 ms" \
  --manual-s1 "Const,1,5,0,0" --manual-s1-electrode 5 --manual-after-trace 1
expect_refusal "electrode from 1 to 16" --manual-s1-electrode 0
echo "stimulation log: ok"
