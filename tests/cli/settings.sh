#!/usr/bin/env bash
# korin16-cli settings DIR: stored values as the window applies them, defaults
# for the rest (and for selector values that are none of the selector's items),
# the pulse lists, missing or unreadable; a damaged store, or a FIFO in its
# place, gives the defaults, a warning and exit 0, and is left as it was.
set -euo pipefail
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
tab=$'\t'

cat > "$dir/Korin16.config" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<configuration>
  <appSettings>
    <add key="Min" value="5" />
    <add key="UIType" value="B" />
    <add key="Mode" value="EP" />
    <add key="StepFilter" value="2" />
    <add key="Device" value="Simulated" />
    <add key="Input Range" value="5000" />
    <add key="Low cut freq" value="7" />
    <add key="High cut freq" value="3000" />
    <add key="Step1F" value="S3" />
  </appSettings>
</configuration>
XML
printf 'by rep,True,repeat all the time,False\r\nPulsetype,Duration,Intensity,Pre,Post\r\nBiphasic,0.2,-10,0,99.8\r\n' \
  > "$dir/Step1 S1 Stim.csv"
mkdir "$dir/Step2 S1 Stim.csv"

"$cli" settings "$dir" > "$dir/out.txt" 2> "$dir/err.txt"
grep -q "^warning: .*\"Mode\"" "$dir/err.txt"
test "$(head -n 1 "$dir/out.txt")" = "Input Range${tab}2000${tab}default"
grep -qx "Min${tab}5${tab}store" "$dir/out.txt"
grep -qx "UIType${tab}C${tab}store" "$dir/out.txt"
grep -qx "Mode${tab}0${tab}default" "$dir/out.txt"
grep -qx "StepFilter${tab}2${tab}store" "$dir/out.txt"
grep -qx "Device${tab}Simulated${tab}store" "$dir/out.txt"
grep -qx "Step1 S1 Stim.csv${tab}by rep=True repeat all the time=False units=1${tab}file" "$dir/out.txt"
grep -qx "Step1 S1 Stim.csv${tab}0${tab}Biphasic${tab}0.2${tab}-10${tab}0${tab}99.8" "$dir/out.txt"
grep -qx "Input Range${tab}2000${tab}default" "$dir/out.txt"
grep -qx "Low cut freq${tab}1${tab}default" "$dir/out.txt"
grep -qx "High cut freq${tab}5000${tab}default" "$dir/out.txt"
grep -qx "Step1F${tab}S1${tab}default" "$dir/out.txt"
grep -q "^warning: .*\"Input Range\" = \"5000\" is skipped" "$dir/err.txt"
grep -qx "StepM S2 Stim.csv${tab}none${tab}missing" "$dir/out.txt"
grep -qx "Step2 S1 Stim.csv${tab}none${tab}unreadable" "$dir/out.txt"
grep -q "^warning: Stim Last One Error cannot read .*Step2 S1 Stim.csv: a folder, not a file" "$dir/err.txt"
# 95 keys, then six list lines and one unit line.
test "$(wc -l < "$dir/out.txt")" -eq $((95 + 6 + 1))

printf '<configuration><appSettings><add key="Min" val' > "$dir/Korin16.config"
"$cli" settings "$dir" > "$dir/out2.txt" 2> "$dir/err.txt"
grep -qx "Min${tab}20${tab}default" "$dir/out2.txt"
grep -q "^warning: .*Korin16.config" "$dir/err.txt"
test -f "$dir/Korin16.config"
test ! -e "$dir/Korin16.config.bad"

# A FIFO as the store: nothing will ever write to it, so an open that waited
# for a writer would never return (the test's time limit would end it).
rm "$dir/Korin16.config"
mkfifo "$dir/Korin16.config"
"$cli" settings "$dir" > "$dir/out3.txt" 2> "$dir/err.txt"
grep -qx "Min${tab}20${tab}default" "$dir/out3.txt"
grep -q "^warning: .*Korin16.config cannot be read (a FIFO, not a file)" "$dir/err.txt"
test -p "$dir/Korin16.config"

if "$cli" settings "$dir/missing" > /dev/null 2>&1; then
  echo "a missing folder was accepted" >&2
  exit 1
fi
echo "korin16-cli settings: ok"
