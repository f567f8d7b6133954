#!/usr/bin/env bash
# korin16-cli export end to end: a headless recording exported whole to
# .bin/.hdr and in part to CSV; an unreadable file, an unwritable path, a range
# outside the file, an output that is a recording, a cut recording and bad
# option values each exit 1 with a message.
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
  local status=0
  "$cli" export "$@" > /dev/null 2> "$dir/fail.err" || status=$?
  if [ "$status" -ne 1 ]; then
    echo "export $* exited $status" >&2
    exit 1
  fi
  grep -qF -- "$expected" "$dir/fail.err"
}
fails "Cannot open" "$dir/missing.pldat" --format short --out "$dir/m"
fails "The export file could not be created." "$data" --format csv --out "$dir/no/such/folder/x"
fails "not within the file's 1-2" "$data" --format short --out "$dir/r" --traces 1-3
fails "not within the file's trace of 1000 ms" "$data" --format short --out "$dir/r" --ms 0-1500
fails "channel numbers 1-16" "$data" --format short --out "$dir/r" --channels 17
fails "empty item" "$data" --format short --out "$dir/r" --channels 3,
fails "channel 3 twice" "$data" --format short --out "$dir/r" --channels 3,3
fails "--highpass takes a cut-off in Hz or None" "$data" --format short --out "$dir/r" --highpass abc
fails "--lowpass takes a cut-off in Hz or None" "$data" --format short --out "$dir/r" --lowpass 5k
test ! -e "$dir/r.bin" && test ! -e "$dir/r.hdr"

# A .bin that cannot be created (a folder of that name) leaves no .hdr.
mkdir "$dir/folder.bin"
fails "The export file could not be created." "$data" --format short --out "$dir/folder"
test ! -e "$dir/folder.hdr"

# An output that is the input itself, or another recording through a link, is
# refused and the recordings keep every byte.
for format in short csv; do
  extension=$([ "$format" = short ] && echo bin || echo csv)
  cp "$data" "$dir/in.$extension"
  fails "The export would overwrite a recording." "$dir/in.$extension" --format "$format" --out "$dir/in"
  cmp "$data" "$dir/in.$extension"
  ln -s "$data" "$dir/link.$extension"
  fails "The export would overwrite a recording." "$dir/in.$extension" --format "$format" --out "$dir/link"
  cmp "$dir/in.$extension" "$data"
done

# A recording of three traces cut after the second (blocks of 123 + 320 039
# bytes): traces asked for beyond it are refused, the default range exports
# the two and says so.
mkdir "$dir/three"
"$cli" record --out "$dir/three" --repeat 3 --time 1 --interval 2 --text _y > /dev/null
cut_to() { head -c $((123 + $2 * 320039)) "$dir"/three/*_y.pldat > "$1"; }
cut_to "$dir/cut.pldat" 4
fails "The file holds traces 1-2 (its header says 3)." "$dir/cut.pldat" --format short --out "$dir/c3" --traces 3-3
test ! -e "$dir/c3.bin" && test ! -e "$dir/c3.hdr"
"$cli" export "$dir/cut.pldat" --format short --out "$dir/c" 2> "$dir/cut.err"
test "$(stat -c %s "$dir/c.bin")" -eq 1280000
grep -qF "warning: The file holds traces 1-2 (its header says 3)." "$dir/cut.err"
grep -q "^Exported 4 blocks" "$dir/cut.err"
# Cut inside the third trace: its second half holds no block.
cut_to "$dir/half.pldat" 5
fails "holds no block of traces 3-3 within 500-1000 ms" "$dir/half.pldat" --format csv --out "$dir/h" \
  --traces 3-3 --ms 500-1000
test ! -e "$dir/h.csv"
