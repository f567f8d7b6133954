#!/usr/bin/env bash
# korin16-cli measure end to end: a headless recording without a stimulus (its log
# holds no pulse) is refused until --onset gives one; then one line per trace and
# channel.
set -euo pipefail
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$cli" record --out "$dir" --repeat 3 --time 0.1 --interval 1 --text _m > /dev/null
data=$(ls "$dir"/*_m.pldat)

status=0
"$cli" measure "$data" --out "$dir/m.csv" 2> "$dir/err" || status=$?
test "$status" -eq 1
grep -qF "has no pulse played in a trace: give --onset MS." "$dir/err"
test ! -e "$dir/m.csv"

"$cli" measure "$data" --out "$dir/m.csv" --onset 10 --channels 5,9 > "$dir/out"
test "$(head -n 1 "$dir/m.csv")" = $'trace,step,loop,time_s,channel,response,onset_ms,intensity_ua,baseline_mv,amplitude_mv,latency_ms,max_slope,window_slope,slope_20_80,ppr_max_slope\r'
test "$(wc -l < "$dir/m.csv")" -eq 7
grep -q "^Measured 3 traces" "$dir/out"
