#!/usr/bin/env bash
# The window picture tool: a stimulated recording replayed to its end and shown
# in the Slope mode on channel 5 is saved as a PNG; an unknown option, a channel
# outside 1-16 or an unknown mode saves nothing.
set -euo pipefail
cli="$1"
gui="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$cli" record --out "$dir" --repeat 2 --time 0.5 --interval 1 --s1-electrode 5 \
  --step1-s1 "Biphasic,0.2,-60,10,89.8" > /dev/null
data=$(ls "$dir"/*s.pldat)

"$gui" --screenshot "$dir/slope.png" --open "$data" --mode Slope --channel 5 --autoscale > "$dir/out.txt" 2>&1
grep -q "^Saved [0-9]*x[0-9]* window to $dir/slope.png" "$dir/out.txt"
test "$(head -c 8 "$dir/slope.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a

for bad in "--channel 17" "--channel 5x" "--zoom" "--mode"; do
  set +e
  # shellcheck disable=SC2086
  "$gui" --screenshot "$dir/bad.png" $bad > /dev/null 2> "$dir/err.txt"
  status=$?
  set -e
  test "$status" -eq 2
  grep -q "^usage: --screenshot OUT.png" "$dir/err.txt"
done
set +e
"$gui" --screenshot "$dir/bad.png" --mode Sloop > /dev/null 2> "$dir/err.txt"
status=$?
set -e
test "$status" -eq 1
grep -q "^No analysis mode Sloop" "$dir/err.txt"
test ! -e "$dir/bad.png"
