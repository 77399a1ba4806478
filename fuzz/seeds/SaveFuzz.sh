#!/usr/bin/env bash
# Seeds for SaveFuzz: a state save and a value file made by the player
# itself (headless) from a small scenario that moves a layer, shows a
# message and a dynamic layer and sets variables; and the same state save
# with a small background picture, as the legacy mode stores it (the
# player's own would be a full-screen picture, too big for a seed). Needs a
# built player and pelto5-pack in build/ (or $PELTO5_BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: SaveFuzz.sh DIRECTORY}
build=${PELTO5_BUILD_DIR:-$top/build}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game"
printf '%s\r\n' '///' '///' '<Head="Pelto">' 'FileType=PV5' 'StartBook=B' 'StartPage=P' \
  '<Head End>' '<Book="B">' '<Page="P">' \
  'ValueCtrl.ValueVar=%score%' 'ValueCtrl.LeftValue=42' '@ValueCtrl' \
  'Layer.Name=背景レイヤー' 'Layer.Pos.Change=1' 'Layer.Pos.Left=7' 'Layer.Pos.Top=9' '@LayerCtrl' \
  'MessageDraw.Text=ABC' 'MessageDraw.Effect=None' '@MessageDraw' \
  'DynamicLayer.Clickable.Mode=All' 'DynamicLayer.Clickable.BookName=B' 'DynamicLayer.Clickable.PageName=P' \
  'DynamicLayer.Area.Left=10' 'DynamicLayer.Area.Top=20' 'DynamicLayer.Area.Width=100' \
  'DynamicLayer.Area.Height=30' 'DynamicLayer.Text.Text=OK' '@DynamicLayer' \
  'SaveCtrl.Command=Create' 'SaveCtrl.FileName=values.dat' '@SaveCtrl' \
  'SaveCtrl.Command=SaveValue' 'SaveCtrl.Key=Best' 'SaveCtrl.Value=%score%' '@SaveCtrl' \
  'SaveCtrl.Command=Close' '@SaveCtrl' \
  'Call.BookName=B' 'Call.PageName=Save' '@Call' '<Page End>' \
  '<Page="Save">' 'SaveCtrl.Command=AutoSave' 'SaveCtrl.FileName=state.sav' '@SaveCtrl' '@Return' \
  '<Page End>' '<Book End>' | iconv -f UTF-8 -t CP932 > "$work/game.pf5"
"$build/pelto5" --headless "$work/game.pf5" >/dev/null 2>&1
cp "$work/game/state.sav" "$out/state"
cp "$work/game/values.dat" "$out/values"
"$build/pelto5-pack" extract -o "$work/entries" "$out/state" >/dev/null
"$top/fuzz/seeds/BmpFuzz.sh" "$work/bmp"
cp "$work/bmp/rgb24" "$work/entries/_background.bmp"
"$build/pelto5-pack" create --magic PV5SAVE "$out/state-background" "$work/entries" >/dev/null
"$build/pelto5-pack" create --magic PV5SAVE --compress "$out/state-compressed" "$work/entries" >/dev/null
