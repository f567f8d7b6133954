#!/usr/bin/env bash
# korin16-cli end to end: a headless recorded run on the simulated Dev1 gives a
# file that `info` reads back whole; a broken file is refused with exit 1.
set -euo pipefail
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$cli" record --out "$dir" --repeat 3 --time 1.2 --interval 2 --text _cli --seed 3 > "$dir/record.log"
grep -q "trace 0003" "$dir/record.log"
data=$(ls "$dir"/*_cli.pldat)
test -f "${data%.pldat}_settings.txt"
# 3 traces of blocks of 10000, 10000 and 4000 scans.
test "$(stat -c %s "$data")" -eq $((123 + 3 * (3 * 39 + (10000 + 10000 + 4000) * 32)))

"$cli" info "$data" > "$dir/info.txt"
grep -q "^Whole blocks: 9$" "$dir/info.txt"
grep -q "^Trace count: 3$" "$dir/info.txt"
grep -q "^Problems: none$" "$dir/info.txt"  # a short last block the duration implies is sound
"$cli" info --json "$data" > "$dir/info.json"
grep -q '"wholeBlocks":9,' "$dir/info.json"

# Traces of 0.1 s: one block of 2000 scans each, and nothing wrong with them.
mkdir "$dir/short"
"$cli" record --out "$dir/short" --repeat 3 --time 0.1 --interval 1 > /dev/null
short=$(ls "$dir"/short/*.pldat)
"$cli" info "$short" > "$dir/short.txt"
grep -q "^  traces 1-3: 1 blocks of 2000 samples per channel$" "$dir/short.txt"
grep -q "^Problems: none$" "$dir/short.txt"

# A cut file still reports its problems: cut inside the third 0.1 s block, and
# after the first block of the 1.2 s recording's last trace.
head -c $((123 + 2 * (39 + 2000 * 32) + 100)) "$short" > "$dir/cut-short.pldat"
"$cli" info "$dir/cut-short.pldat" > "$dir/cut-short.txt"
grep -q "^  - 2 of 3 traces were recorded$" "$dir/cut-short.txt"
grep -q "^  - the last 100 bytes are a block cut short; they are ignored$" "$dir/cut-short.txt"
head -c $((123 + 7 * 39 + (2 * 24000 + 10000) * 32)) "$data" > "$dir/cut.pldat"
"$cli" info "$dir/cut.pldat" > "$dir/cut.txt"
grep -q "^  - the last trace holds 1 of its 3 blocks: the recording stopped early$" "$dir/cut.txt"

# "# Repeat" 0 records one trace, and the file says so.
mkdir "$dir/zero"
"$cli" record --out "$dir/zero" --repeat 0 --time 1 > /dev/null
"$cli" info "$dir"/zero/*.pldat > "$dir/zero.txt"
grep -q "^Trace count: 1$" "$dir/zero.txt"
grep -q "^Whole blocks: 2$" "$dir/zero.txt"

# A trace of 0 s is refused before anything is written.
mkdir "$dir/none"
if "$cli" record --out "$dir/none" --time 0 > /dev/null 2> "$dir/none.err"; then
  echo "a 0 s trace was recorded" >&2
  exit 1
fi
grep -q "Please set a trace duration longer than 0 seconds." "$dir/none.err"
test -z "$(ls -A "$dir/none")"

# A run far larger than any disk is asked about, and refused without --force.
if "$cli" record --out "$dir/none" --repeat 1000 --time 86400 --interval 86401 > /dev/null 2> "$dir/full.err"; then
  echo "a run larger than the disk was started without --force" >&2
  exit 1
fi
grep -q "^The output folder has room for about [0-9]* min of recording, but this run records 1440000 min. Record anyway?$" \
  "$dir/full.err"
test -z "$(ls -A "$dir/none")"

head -c 100 /dev/urandom > "$dir/garbage.pldat"
if "$cli" info "$dir/garbage.pldat" > /dev/null 2>&1; then
  echo "a broken file was accepted" >&2
  exit 1
fi
if "$cli" record --out "$dir/missing/folder" > /dev/null 2>&1; then
  echo "recording into a missing folder reported success" >&2
  exit 1
fi
echo "korin16-cli record and info: ok"
