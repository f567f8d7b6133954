#!/usr/bin/env bash
# korin16-cli record with a Step 1 protocol: a pulse on electrode 5 is played
# and recorded; a pulse list the editor refuses ends the command with its message.
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
  grep -qF "$message" "$dir/refused.err"
  test -z "$(ls -A "$dir/refused")"
}
expect_refusal "A stimulation pattern must be shorter than the record time." --step1-s1 "Const,1,5,0,2000"
expect_refusal "Duration, Pre and Post must be 0 ms or more." --step1-s1 "Biphasic,0.1,-10,-1,99.9"
expect_refusal "\"Post\" value of the last pulse must be over 0 ms." --step1-s1 "Const,1,5,0,0"
expect_refusal "a pulse type is Biphasic or Const" --step1-s1 "Square,1,5,0,10"
expect_refusal "electrode from 1 to 16" --s2-electrode 17
echo "record with stimulation: ok"
