#!/usr/bin/env bash
# Seeds for ScriptFuzz: the runtime library's and the demo's scripts from
# this tree, and a small script with nested ifs, variables and header
# references, written here.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: ScriptFuzz.sh DIRECTORY}
mkdir -p "$out"
cp "$top/data/runtime-library/system.pf5" "$out/system"
cp "$top/data/demo/pelto.pf5" "$out/demo"
printf '%s\r\n' '///' '///' '<Head="Pelto">' 'FileType=PV5' 'StartBook=B' 'StartPage=P' 'Name=seed' \
  '<Head End>' '<Book="B">' '<Page="P">' \
  'ValueCtrl.ValueVar=%n%' 'ValueCtrl.LeftValue=%@Pelto:Name%' '@ValueCtrl' \
  'if.Variable1=%n%' 'if.Variable2=3' '@if' \
  '  MessageDraw.Text=$s$ and %n% in $@ScriptFile$' '  @MessageDraw' \
  '  if.Variable1=%a%' '  @if' '  @else' '    @rem' '  @endif' \
  '@else' 'Call.BookName=B' 'Call.PageName=Q' '@Call' '@endif' '<Page End>' \
  '<Page="Q">' 'bad line without equals' '@Return' '<Page End>' '<Book End>' > "$out/nested"
printf '%s\r\n' '///' '///' '<Book="B">' '<Page="P">' '@rem' '<Book End>' > "$out/unclosed"
