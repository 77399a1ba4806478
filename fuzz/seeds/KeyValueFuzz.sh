#!/usr/bin/env bash
# Seeds for KeyValueFuzz: a settings file as the player writes it and a
# list with every number form, written here.
set -euo pipefail
out=${1:?usage: KeyValueFuzz.sh DIRECTORY}
mkdir -p "$out"
printf '%s\r\n' 'clear=3' 'System.UseMusic=true' 'System.UseSound=false' 'System.MusicVolume=40' \
  'System.SoundVolume=100' 'System.Left=12' 'System.Top=-4' 'System.Font=Gothic' > "$out/settings"
printf '%s\n' 'a=1' 'A=2' 'hex=$FF' 'neg=-2147483648' 'big=4294967296' 'hexneg=$FFFFFFFF' 'x0=0x10' \
  'empty=' '=novalue' 'plain line' 'b=true' 'c=false' 'eq=a=b' > "$out/numbers"
printf 'one\rtwo=2\r\nthree=3' > "$out/mixed-breaks"
# Shift-JIS names; a lead byte takes the "=" after it as its second byte.
printf '\x83\x5C=1\r\nname\x93=2\r\nname\x93==3\r\n' > "$out/sjis-names"
