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
"$cli" info --json "$data" > "$dir/info.json"
grep -q '"wholeBlocks":9,' "$dir/info.json"

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
