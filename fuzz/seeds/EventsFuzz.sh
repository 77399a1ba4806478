#!/usr/bin/env bash
# Seeds for EventsFuzz: events files with every kind of event, written here.
set -euo pipefail
out=${1:?usage: EventsFuzz.sh DIRECTORY}
mkdir -p "$out"
printf '%s\n' '# every kind' '0 move 10 20' '200 click 5 5' '400 rclick 1 2' '600 mclick 3 4' \
  '800 key space' '900 key enter' '1000 key escape' '1100 key 65' '1200 text こんにちは' \
  '1300 text-cancel' '1400 shot frame.png' '' '   # indented comment' '1500 quit' > "$out/all"
printf '0 click 1 2\r\n10 key 13\r\n' > "$out/crlf"
printf '5 jump 1 2\n' > "$out/bad-kind"
# The held keys, the wheel and the debug window's events, with a BOM.
{ printf '\xEF\xBB\xBF'; printf '%s\n' '0 key-down ctrl' '10 key-up ctrl' '20 wheel 3' '30 wheel -1' '40 key 123' \
  '50 debug-tab 2' '60 debug-click 5 6' '70 debug-drag 1 2 300 400' '80 debug-key pagedown' \
  '90 debug-wheel -2' '100 debug-shot debug.png'; } > "$out/held-and-debug"
printf '%s\n' '0 click 100001 5' '1 debug-drag 1 2 3' '2 wheel 0' > "$out/out-of-range"
