#!/usr/bin/env bash
# Image plug-ins in a built player: a picture only a test plug-in can decode
# is shown, and plug-ins that misbehave cost only their picture.
#
#   tests/windows/plugin-test.sh PLAYER_DIR
#
# PLAYER_DIR holds pelto5.exe and pelto5-plugin-host.exe (a Windows build,
# run under wine; 64-bit or 32-bit, as pelto5.exe is) or pelto5 and
# pelto5-plugin-host (a Linux build, run as it is). The test plug-ins are
# built here from tests/windows/plugin/TinyPicture.c against the installed
# header: with mingw-w64 for Windows, with cc for Linux. The package is made
# with $PELTO5_PACK, else PLAYER_DIR's pelto5-pack(.exe), else
# build/pelto5-pack.
#
# One headless run plays a page that shows, in turn: a picture whose plug-in
# crashes in GetPicture (an access violation), one whose plug-in claims a
# 30000 x 30000 picture with 16 bytes of bits, and a good 32 x 24 picture
# (on Windows then the same picture again, from a plug-in that hands its
# result over in movable local memory handles and has no FreePicture).
# The first two fail with the player's load-failure box and the run goes
# on; the screenshot shows the good picture at its top left, pixel for
# pixel. Beside them
# lies a plug-in built for another machine (the 32-bit build of the good
# plug-in for a 64-bit player, the 64-bit one for a 32-bit player, a
# Windows DLL for a Linux player), skipped with exactly one --trace line.
# The good plug-in lies in a folder of $PELTO5_PLUGIN_PATH.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
if [[ $# -ne 1 || ! -d $1 ]]; then
  echo "usage: $0 PLAYER_DIR" >&2
  exit 2
fi
players=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/pelto5-plugin-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# --- The player and its kind ---------------------------------------------
# The machine of a PE file: the 16 bits after "PE\0\0", where the DOS
# header's field at 0x3C points.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}

if [[ -f $players/pelto5.exe ]]; then
  windows=1
  player=$players/pelto5.exe
  [[ -f $players/pelto5-plugin-host.exe ]] || { echo "no pelto5-plugin-host.exe in $players" >&2; exit 2; }
  case $(pe_machine "$player") in
    8664) own=x86_64 other=i686 other_name="32-bit x86" ;;
    014c) own=i686 other=x86_64 other_name="64-bit x86" ;;
    *) echo "pelto5.exe is built for no machine this test knows" >&2; exit 2 ;;
  esac
  command -v wine >/dev/null || { echo "wine is needed to run $player" >&2; exit 2; }
  export WINEDEBUG=${WINEDEBUG:--all}
else
  windows=0
  player=$players/pelto5
  [[ -x $player && -x $players/pelto5-plugin-host ]] || { echo "no pelto5 and pelto5-plugin-host in $players" >&2; exit 2; }
  other=x86_64 other_name="Windows DLL"
fi

pack=${PELTO5_PACK:-}
if [[ -z $pack ]]; then
  for candidate in "$players/pelto5-pack" "$players/pelto5-pack.exe" "$top/build/pelto5-pack"; do
    if [[ -f $candidate ]]; then
      pack=$candidate
      break
    fi
  done
fi
[[ -n $pack ]] || { echo "no pelto5-pack found (set PELTO5_PACK)" >&2; exit 2; }

# A path as the program (a Windows one or not) takes it on the command line.
native() {  # PROGRAM PATH
  if [[ $1 == *.exe ]]; then winepath -w "$2" 2>/dev/null; else printf '%s\n' "$2"; fi
}
run_native() {
  if [[ $1 == *.exe ]]; then wine "$@"; else "$@"; fi
}

# --- The plug-ins -----------------------------------------------------------
source=$top/tests/windows/plugin/TinyPicture.c
game=$work/game
# The good plug-in is found through $PELTO5_PLUGIN_PATH, after a folder
# that does not exist (separated by ";" on Windows, ":" elsewhere).
more="$work/more plug-ins"
mkdir -p "$game" "$work/content" "$more"
if ((windows)); then
  plugin_path="$(winepath -w "$work/none");$(winepath -w "$more")"
else
  plugin_path="$work/none:$more"
fi
build_plugin() {  # ARCH|native OUT [DEFINE]
  local arch=$1 out=$2
  shift 2
  local cc=cc flags=(-shared -fPIC)
  if [[ $arch != native ]]; then
    cc=$arch-w64-mingw32-gcc-posix
    command -v "$cc" >/dev/null || cc=$arch-w64-mingw32-gcc
    flags=(-shared -static-libgcc)
    [[ $arch == i686 ]] && flags+=(-Wl,--kill-at)
  fi
  "$cc" -std=c11 -O2 -Wall -Wextra -Werror "${flags[@]}" -I"$top/include" "$@" -o "$out" "$source"
}
if ((windows)); then
  build_plugin "$own" "$more/tiny.spi"
  build_plugin "$own" "$game/crash.spi" -DTINY_CRASH
  build_plugin "$own" "$game/huge.spi" -DTINY_HUGE
  build_plugin "$own" "$game/local.spi" -DTINY_LOCAL
  pictures="crash.tpc huge.tpc good.tpc local.tpc"
else
  pictures="crash.tpc huge.tpc good.tpc"
  build_plugin native "$more/tiny.spi"
  build_plugin native "$game/crash.spi" -DTINY_CRASH
  build_plugin native "$game/huge.spi" -DTINY_HUGE
fi
other_plugin=$game/other.spi
if command -v "$other-w64-mingw32-gcc-posix" >/dev/null || command -v "$other-w64-mingw32-gcc" >/dev/null; then
  build_plugin "$other" "$other_plugin"
else
  other_plugin=
  echo "note: no $other mingw-w64 compiler, the other machine's plug-in is not tried" >&2
fi

# --- The pictures and the scenario ------------------------------------------
python3 - "$work/content" <<'EOF'
import struct, sys
folder = sys.argv[1]
width, height = 32, 24
pixels = bytearray()
for y in range(height):
    for x in range(width):
        # Red at the top left, blue at the bottom right, a gradient between.
        pixels += bytes((255 - 8 * x, 10 * y, 255 if (x >= 16 and y >= 12) else 0))
def write(name, magic, body):
    with open(folder + "/" + name, "wb") as f:
        f.write(magic + struct.pack("<HH", width, height) + body)
write("good.tpc", b"TINYPIC\0", bytes(pixels))
write("crash.tpc", b"TINYCRSH", bytes(pixels))
write("huge.tpc", b"TINYHUGE", bytes(16))
write("local.tpc", b"TINYLOCL", bytes(pixels))
EOF
{
  printf '/// Game Creative Tool - Peltoforge Fifth -\n/// pelto5 plug-in test\n'
  printf '<Head="Pelto">\nFileType=PV5\nCommandVersion=19\nImageWidth=32\nImageHeight=24\n<Head End>\n'
  printf '<Book="スタートブック">\n<Page="スタートページ">\n'
  for picture in $pictures; do
    printf 'Layer.Name=背景レイヤー\nLayer.Visible.Change=1\nLayer.Visible.Show=1\n'
    printf 'Layer.Image.Change=1\nLayer.Image.FileName=%s\n@LayerCtrl\n' "$picture"
  done
  printf '<Page End>\n<Book End>\n'
} | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' >"$work/content/pelto.pf5"
if ! run_native "$pack" create "$(native "$pack" "$game/game.pp5")" "$(native "$pack" "$work/content")" \
  >"$work/pack.log" 2>&1; then
  cat "$work/pack.log" >&2
  echo "pelto5-pack create failed" >&2
  exit 1
fi

# --- The run ----------------------------------------------------------------
launcher=()
((windows)) && launcher=(wine)
status=0
# Run from another folder: the plug-ins are found beside the package, not in
# the current folder.
(cd "$work" && PELTO5_PLUGIN_PATH=$plugin_path PELTO5_PLUGIN_TIMEOUT_MS=20000 LANG=C.UTF-8 timeout 600 "${launcher[@]}" "$player" --headless --trace \
  --screenshot "$(native "$player" "$work/shot.png")" "$(native "$player" "$game/game.pp5")") >"$work/out.log" 2>&1 ||
  status=$?
[[ $status -eq 0 ]] || fail "the player exited with status $status"

count() { grep -c -F -e "$1" "$work/out.log" || true; }
for picture in crash.tpc huge.tpc; do
  [[ $(count "message (error, ignore): 画像ファイル「$picture」の読み込みに失敗しました") -eq 1 ]] ||
    fail "no load-failure box for $picture"
done
[[ $(count "の読み込みに失敗しました") -eq 2 ]] || fail "load-failure boxes for pictures that should decode"
[[ $(count "plug-in failed in GetPicture (helper ended with ") -eq 1 ]] ||
  fail "no trace line for the crash in GetPicture"
if ((windows)); then
  [[ $(count "plug-in failed in GetPicture (helper ended with exception 0xC0000005): ") -eq 1 ]] ||
    fail "the crash is not reported as an access violation"
fi
if [[ -n $other_plugin ]]; then
  if ((windows)); then expected="plug-in skipped (a $other_name DLL): "; else expected="plug-in skipped (a Windows DLL): "; fi
  skipped=$(grep -F -e "plug-in skipped (" "$work/out.log" || true)
  if [[ $(grep -c -F -e "$expected" <<<"$skipped") -ne 1 || $(grep -c . <<<"$skipped") -ne 1 ||
    $skipped != *other.spi ]]; then
    fail "expected one line \"${expected}.../other.spi\", got: ${skipped:-nothing}"
  fi
fi

if [[ ! -f $work/shot.png ]]; then
  fail "no screenshot"
else
  python3 - "$work/shot.png" <<'EOF' || fail "the screenshot is not the plug-in's picture"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
pos, chunks = 8, {}
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    chunks.setdefault(kind, b"")
    chunks[kind] += data[pos + 8:pos + 8 + length]
    pos += 12 + length
width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG format"
channels = 3 if colour == 2 else 4
raw = zlib.decompress(chunks[b"IDAT"])
stride = width * channels
rows, previous = [], bytearray(stride)
for y in range(height):
    kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - channels] if i >= channels else 0
        b, c = previous[i], previous[i - channels] if i >= channels else 0
        if kind == 1: line[i] = (line[i] + a) & 255
        elif kind == 2: line[i] = (line[i] + b) & 255
        elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line)
    previous = line
if width < 32 or height < 24:
    sys.exit("screenshot is %d x %d, smaller than the picture" % (width, height))
wrong = 0
for y in range(24):
    for x in range(32):
        expected = (255 - 8 * x, 10 * y, 255 if (x >= 16 and y >= 12) else 0)
        got = tuple(rows[y][x * channels:x * channels + 3])
        if got != expected:
            if wrong < 5: print("pixel %d,%d is %s, not %s" % (x, y, got, expected), file=sys.stderr)
            wrong += 1
sys.exit(1 if wrong else 0)
EOF
fi

if ((failures)); then
  echo "--- player output ($work kept)" >&2
  cat "$work/out.log" >&2
  trap - EXIT
  exit 1
fi
echo "plug-in test passed: $player"
