#!/usr/bin/env bash
# The Windows player under wine, against the Linux player:
#  1. the demo's walkthrough, played headless, gives scene pictures identical
#     pixel for pixel to the Linux headless player's, and the same output;
#     1b. a game playing a tracker module of each format (MOD, S3M, XM, IT)
#     as music and as waited-for sounds gives the same audio trace (each
#     module opened with the same length) and timing as on Linux;
#  2. a game whose folder, script and picture have Japanese names plays on a
#     non-Japanese system (LANG=en_US.UTF-8): the picture is shown, and a
#     save is written under its Japanese name into the game's data folder;
#     the same in a folder whose path is longer than 260 characters;
#  3. the player opens a real window (wine's X11 driver under Xvfb) and draws
#     the demo's first scene into it.
#
#   tests/windows/wine-test.sh WINDOWS_PLAYER_DIR LINUX_BUILD_DIR
#
# WINDOWS_PLAYER_DIR holds pelto5.exe, demo.pp5 and the fonts/ folder (a
# Windows build folder or an unpacked zip); LINUX_BUILD_DIR holds pelto5 and
# demo.pp5. Needs wine and a C++ compiler, and xvfb-run, xdotool and
# ImageMagick for part 3.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
if [[ $# -ne 2 || ! -f $1/pelto5.exe || ! -x $2/pelto5 ]]; then
  echo "usage: $0 WINDOWS_PLAYER_DIR LINUX_BUILD_DIR" >&2
  exit 2
fi
windows=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/pelto5-wine-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=${WINEDEBUG:--all}
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
wpath() { winepath -w "$1" 2>/dev/null; }

# --- 1. The walkthrough -------------------------------------------------------
events=$top/data/demo/walkthrough.events
mkdir -p "$work/linux" "$work/windows"
(cd "$work/linux" && "$linux/pelto5" --headless --events "$events" --max-time 60000 \
  --dump-state "$work/linux/state.txt" "$linux/demo.pp5" >out.txt 2>&1) || fail "the Linux player failed the walkthrough"
(cd "$work/windows" && timeout 300 wine "$windows/pelto5.exe" --headless --events "$(wpath "$events")" \
  --max-time 60000 --dump-state "$(wpath "$work/windows/state.txt")" "$(wpath "$windows/demo.pp5")" >out.txt 2>&1) ||
  fail "the Windows player failed the walkthrough"
shots=0
for shot in "$work"/linux/*.png; do
  name=$(basename "$shot")
  shots=$((shots + 1))
  if [[ ! -f $work/windows/$name ]]; then
    fail "the Windows player wrote no $name"
    continue
  fi
  differing=$(compare -metric AE "$shot" "$work/windows/$name" null: 2>&1 || true)
  [[ $differing == 0 ]] || fail "$name differs from the Linux player's in $differing pixels"
done
((shots >= 8)) || fail "the Linux walkthrough wrote only $shots scene pictures"
cmp -s "$work/linux/out.txt" "$work/windows/out.txt" || fail "the players' output differs: $(diff "$work/linux/out.txt" "$work/windows/out.txt" | head -5)"
cmp -s "$work/linux/state.txt" "$work/windows/state.txt" ||
  fail "the state dumps differ: $(diff "$work/linux/state.txt" "$work/windows/state.txt" | head -5)"

# --- 1b. Tracker modules -------------------------------------------------------
modules=$work/modules
mkdir -p "$modules"
if c++ -std=c++20 -O2 -I "$top/tests" -o "$work/make-test-modules" "$top/tests/windows/make-test-modules.cc" &&
  "$work/make-test-modules" "$modules" >/dev/null; then
  {
    printf '/// Game Creative Tool - Peltoforge Fifth -\n/// modules test\n'
    printf '<Head="Pelto">\nFileType=PV5\nCommandVersion=19\nImageWidth=40\nImageHeight=30\n<Head End>\n'
    printf '<Book="スタートブック">\n<Page="スタートページ">\n'
    printf 'Music.FileName=tone.xm\n@Music\n'
    for name in tone.mod tone.s3m tone.it; do printf 'Sound.FileName=%s\nSound.Wait=1\n@Sound\n' "$name"; done
    printf '@rem\n<Page End>\n<Book End>\n'
  } | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' >"$modules/game.pf5"
  (cd "$modules" && "$linux/pelto5" --headless --trace --trace-audio --max-time 20000 game.pf5 >linux.txt 2>&1) ||
    fail "the Linux player failed the modules game: $(head -3 "$modules/linux.txt")"
  (cd "$modules" && timeout 120 wine "$windows/pelto5.exe" --headless --trace --trace-audio --max-time 20000 \
    game.pf5 >windows.txt 2>&1) || fail "the Windows player failed the modules game: $(head -3 "$modules/windows.txt")"
  for name in tone.xm tone.mod tone.s3m tone.it; do
    grep -qE "^audio: [0-9]+ (music|sound) open $name [1-9][0-9]*ms$" "$modules/linux.txt" ||
      fail "the Linux player did not open $name: $(grep "$name" "$modules/linux.txt" | head -2)"
  done
  grep -E '^(audio|trace): ' "$modules/linux.txt" >"$modules/linux-trace.txt" || true
  grep -E '^(audio|trace): ' "$modules/windows.txt" | tr -d '\r' >"$modules/windows-trace.txt" || true
  cmp -s "$modules/linux-trace.txt" "$modules/windows-trace.txt" ||
    fail "the modules play otherwise than on Linux: $(diff "$modules/linux-trace.txt" "$modules/windows-trace.txt" | head -6)"
else
  fail "could not write the test modules"
fi

# --- 2. Japanese names on an English system ------------------------------------
game=$work/ゲーム
mkdir -p "$game/画像"
convert -size 40x30 'xc:#3366CC' "PNG24:$game/画像/背景.png"
{
  printf '/// Game Creative Tool - Peltoforge Fifth -\n/// names test\n'
  printf '<Head="Pelto">\nFileType=PV5\nCommandVersion=19\nImageWidth=40\nImageHeight=30\n<Head End>\n'
  printf '<Book="スタートブック">\n<Page="スタートページ">\n'
  printf 'Layer.Name=背景レイヤー\nLayer.Visible.Change=1\nLayer.Visible.Show=1\n'
  printf 'Layer.Image.Change=1\nLayer.Image.FileName=画像\\背景.png\n@LayerCtrl\n'
  printf 'SaveCtrl.Command=AutoSave\nSaveCtrl.FileName=セーブ１.sav\n@SaveCtrl\n'
  printf '<Page End>\n<Book End>\n'
} | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' >"$game/物語.pf5"
status=0
(cd "$work" && LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 timeout 120 wine "$windows/pelto5.exe" --headless \
  --screenshot "$(wpath "$work/names.png")" "$(wpath "$game/物語.pf5")" >"$work/names.txt" 2>&1) || status=$?
[[ $status -eq 0 ]] || fail "the game with Japanese names ended with status $status: $(head -3 "$work/names.txt")"
if [[ -f $work/names.png ]]; then
  colour=$(convert "$work/names.png" -format '%[hex:p{20,15}]' info: 2>/dev/null | cut -c1-6)
  [[ $colour == 3366CC ]] || fail "the picture with a Japanese name is not shown (pixel $colour)"
else
  fail "no screenshot of the game with Japanese names"
fi
# The data folder is the script's name; the headless box that offers to
# make it is answered yes.
[[ -f "$game/物語/セーブ１.sav" ]] || fail "no save \"物語/セーブ１.sav\" beside the script: $(ls -R "$game")"
grep -q "の読み込みに失敗しました" "$work/names.txt" && fail "a Japanese name did not load: $(head -3 "$work/names.txt")"

# --- 2b. A path longer than the old limit of 260 characters -------------------
long=$game
for i in $(seq 1 12); do long=$long/folder-with-a-rather-long-name-$i; done
mkdir -p "$long/img"
cp "$game/画像/背景.png" "$long/img/bg.png"
iconv -f CP932 -t UTF-8 "$game/物語.pf5" | sed 's/画像\\背景.png/img\\bg.png/' | iconv -f UTF-8 -t CP932 >"$long/game.pf5"
# (winepath cuts a path at 260 characters: the drive letter is put in front.)
status=0
(cd "$work" && timeout 120 wine "$windows/pelto5.exe" --headless --screenshot "Z:$long/long.png" "Z:$long/game.pf5" \
  >"$work/long.txt" 2>&1) || status=$?
[[ $status -eq 0 ]] || fail "the game in a long path ended with status $status: $(head -3 "$work/long.txt")"
colour=$(convert "$long/long.png" -format '%[hex:p{20,15}]' info: 2>/dev/null | cut -c1-6 || true)
[[ $colour == 3366CC ]] || fail "the picture in a ${#long}-character path is not shown (pixel ${colour:-none})"
[[ -f $long/game/セーブ１.sav ]] || fail "no save in the ${#long}-character path"

# --- 3. A real window -----------------------------------------------------------
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  # A wine server started without a display keeps its desktop without one.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  cat >"$work/window.sh" <<'WINDOW'
#!/usr/bin/env bash
# Inside the virtual display: start the player, find its window, take it.
# (winepath too starts wine: only in here, where the display is.)
wine "$1" "$(winepath -w "$2")" >"$3/window.txt" 2>&1 &
for _ in $(seq 1 120); do
  id=$(xdotool search --onlyvisible --name 'pelto5|demo|Pelto' 2>/dev/null | head -1 || true)
  [[ -n $id ]] && break
  sleep 0.5
done
[[ -n ${id:-} ]] || { echo "no window"; wineserver -k; exit 1; }
sleep 4
xdotool getwindowgeometry "$id" >"$3/geometry.txt"
import -window "$id" "$3/window.png"
wineserver -k
WINDOW
  chmod +x "$work/window.sh"
  if xvfb-run -a -s "-screen 0 1280x1024x24" "$work/window.sh" "$windows/pelto5.exe" \
    "$windows/demo.pp5" "$work" >"$work/window-run.txt" 2>&1; then
    colours=$(convert "$work/window.png" -format '%k' info: 2>/dev/null || echo 0)
    ((colours > 50)) || fail "the window shows no scene ($colours colours)"
    grep -q "Geometry: 640x480" "$work/geometry.txt" || fail "the window is not 640x480: $(cat "$work/geometry.txt")"
  else
    fail "the player opened no window: $(cat "$work/window-run.txt" "$work/window.txt" 2>/dev/null | head -5)"
  fi
else
  echo "note: no xvfb-run or xdotool, the window is not tried" >&2
fi

if ((failures)); then
  echo "wine test: $failures failure(s) (work folder kept: $work)" >&2
  trap - EXIT
  exit 1
fi
echo "wine test passed: $windows/pelto5.exe"
