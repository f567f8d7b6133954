#!/usr/bin/env bash
# A protocol saved by the window runs headless: the window test harness saves
# "EP - baseline" with two traces, a 1 s interval, a 10 Hz high-pass and S2 on
# electrode 5; `record --settings` records it with the same header and
# stimulation, `settings` prints the stored values, and an explicit option
# overrides a stored one. A store written by hand with values the window's
# selectors do not offer records what the window would: their defaults.
set -euo pipefail
cli="$1"
gui_tests="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
tab=$'\t'
mkdir "$dir/config" "$dir/out" "$dir/out2" "$dir/odd" "$dir/out3"

KORIN16_PROTOCOL_DIR="$dir/config" "$gui_tests" --gtest_filter=SettingsFormTest.SavesAProtocolForTheCommandLine \
  > "$dir/gui.log" 2>&1 || { cat "$dir/gui.log" >&2; exit 1; }
test -f "$dir/config/Korin16.config"

"$cli" settings "$dir/config" > "$dir/settings.txt"
grep -qx "Trace${tab}2${tab}store" "$dir/settings.txt"
grep -qx "Sec${tab}0.1${tab}store" "$dir/settings.txt"
grep -qx "Low cut freq${tab}10${tab}store" "$dir/settings.txt"
grep -qx "Step1Enable${tab}True${tab}store" "$dir/settings.txt"
grep -qx "Step1S1Ch${tab}0${tab}store" "$dir/settings.txt"
grep -qx "Step1S2Ch${tab}4${tab}store" "$dir/settings.txt"
grep -qx "Step1 S1 Stim.csv${tab}0${tab}Biphasic${tab}0.2${tab}-10${tab}0${tab}99.8" "$dir/settings.txt"

"$cli" record --out "$dir/out" --settings "$dir/config" > "$dir/record.log"
grep -q "trace 0002" "$dir/record.log"
# -10 uA biphasic pulses (0.04 V per uA) on the electrodes the window chose.
grep -qx "Stimulation: S1 on electrode 1, -0.400 to 0.400 V; S2 on electrode 5, -0.400 to 0.400 V" "$dir/record.log"
"$cli" info "$dir"/out/*.pldat > "$dir/info.txt"
grep -qx "Trace count: 2" "$dir/info.txt"
grep -qx "Trace duration: 100 ms" "$dir/info.txt"
grep -qx "Input range: 10000 uV" "$dir/info.txt"
grep -q "^Steps: 1;" "$dir/info.txt"
iconv -f SHIFT_JIS -t UTF-8 "$dir"/out/*_settings.txt | grep -q "^Highpass filter (Hz) ： 10"

# An explicit option wins over the stored value.
"$cli" record --out "$dir/out2" --settings "$dir/config" --repeat 1 > /dev/null
"$cli" info "$dir"/out2/*.pldat | grep -qx "Trace count: 1"

cat > "$dir/odd/Korin16.config" <<'XML'
<configuration><appSettings>
  <add key="Input Range" value="5000" /><add key="Low cut freq" value="7" />
  <add key="High cut freq" value="3000" /><add key="Step1F" value="S3" />
  <add key="Min" value="0" /><add key="Sec" value="0.5" />
</appSettings></configuration>
XML
"$cli" record --out "$dir/out3" --settings "$dir/odd" > /dev/null 2> "$dir/odd.err"
grep -q "^warning: .*\"Input Range\" = \"5000\" is skipped" "$dir/odd.err"
"$cli" info "$dir"/out3/*.pldat | grep -qx "Input range: 2000 uV"
iconv -f SHIFT_JIS -t UTF-8 "$dir"/out3/*_settings.txt > "$dir/odd-summary.txt"
grep -qx "Highpass filter (Hz) ： 1" <(tr -d '\r' < "$dir/odd-summary.txt")
grep -qx "Lowpass filter (Hz) ： 5000" <(tr -d '\r' < "$dir/odd-summary.txt")

if "$cli" record --out "$dir/out2" --settings "$dir/missing" > /dev/null 2>&1; then
  echo "a missing settings folder was accepted" >&2
  exit 1
fi
echo "record --settings: ok"
