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
