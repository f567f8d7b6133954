#!/usr/bin/env bash
# korin16-cli export end to end: a headless recording exported whole to
# .bin/.hdr and in part to CSV; an unreadable file, an unwritable path and a
# range outside the file each exit non-zero with a message.
set -euo pipefail
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$cli" record --out "$dir" --repeat 2 --time 1 --interval 2 --text _x > /dev/null
data=$(ls "$dir"/*_x.pldat)

"$cli" export "$data" --format short --out "$dir/all" 2> "$dir/short.err"
# 2 traces x 20 000 scans x 16 channels x 2 bytes.
test "$(stat -c %s "$dir/all.bin")" -eq 1280000
printf 'Conversion factor: short to mV,0.00006103515625000000\r\nActive channels,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16' |
  cmp - "$dir/all.hdr"
# Not a terminal: no bar, one final line.
test "$(wc -l < "$dir/short.err")" -eq 1
grep -q "^Exported 4 blocks" "$dir/short.err"

"$cli" export "$data" --format csv --out "$dir/part" --traces 2-2 --ms 0-250 --channels 3,7 \
  --highpass 1 --lowpass 5000 2> /dev/null
test "$(head -n 1 "$dir/part.csv")" = $'Ch3,Ch7,\r'
test "$(wc -l < "$dir/part.csv")" -eq 5001

fails() {
  local expected="$1"
  shift
  if "$cli" export "$@" > /dev/null 2> "$dir/fail.err"; then
    echo "export $* succeeded" >&2
    exit 1
  fi
  grep -q "$expected" "$dir/fail.err"
}
fails "Cannot open" "$dir/missing.pldat" --format short --out "$dir/m"
fails "The export file could not be created." "$data" --format csv --out "$dir/no/such/folder/x"
fails "not within the file's 1-2" "$data" --format short --out "$dir/r" --traces 1-3
fails "not within the file's trace of 1000 ms" "$data" --format short --out "$dir/r" --ms 0-1500
fails "channel numbers 1-16" "$data" --format short --out "$dir/r" --channels 17
