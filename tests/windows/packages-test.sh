#!/usr/bin/env bash
# Checks the Windows packages scripts/build-windows made:
#
# - the portable zip holds the stage folder exactly, under one folder named
#   after the release, with the programs, the runtime library, the demo,
#   fonts and the README and licence texts; its programs load no DLL but
#   Windows' own and the package's;
# - the installer, run silently under wine in a fresh prefix, installs the
#   same files into Program Files, a Start-menu shortcut to pelto5.exe, the
#   ".pp5" file type opening with pelto5.exe and an Add/Remove Programs
#   entry;
# - the uninstaller, run silently, removes all of that, and leaves alone a
#   file the user put into the installation folder.
#
#   tests/windows/packages-test.sh [--arch x86_64|i686]
#
# PELTO5_WINDOWS_BUILD_DIR as for scripts/build-windows. Needs wine (and
# wine32 for i686), unzip and the mingw-w64 binutils; runs under xvfb-run
# when there is no display. Takes about a minute, most of it wine setting up
# its prefix.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=scripts/lib/wine32.sh
source "$top/scripts/lib/wine32.sh"
arch=x86_64
while [ $# -gt 0 ]; do
  case $1 in
    --arch) arch=${2:-}; shift 2 || shift ;;
    *) echo "usage: $0 [--arch x86_64|i686]" >&2; exit 2 ;;
  esac
done
case $arch in
  x86_64) winearch=win64; regview=(/reg:64) ;;
  i686) winearch=win32; regview=() ;;
  *) echo "packages-test: unknown architecture '$arch'" >&2; exit 2 ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${PELTO5_PACKAGES_TEST_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
  PELTO5_PACKAGES_TEST_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --arch "$arch"
fi

win=${PELTO5_WINDOWS_BUILD_DIR:-$top/build-windows}
version=$(sed -n 's/^project(pelto5 VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
name=pelto5-$version-windows-$arch
zipfile=$win/$name.zip
setup=$win/pelto5-$version-setup-$arch.exe
stage=$win/$arch/stage
for file in "$zipfile" "$setup" "$stage"; do
  if [ ! -e "$file" ]; then
    echo "packages-test: no $file (run scripts/build-windows --arch $arch first)" >&2
    exit 1
  fi
done

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

work=$(mktemp -d)
cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Files of a folder, relative to it, one a line, sorted.
list_files() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

# --- The zip ---------------------------------------------------------------
listing=$(unzip -Z1 "$zipfile" | grep -v '/$' | LC_ALL=C sort)
outside=$(grep -v "^$name/" <<< "$listing" || true)
if [ -n "$outside" ]; then
  fail "zip entries outside $name/: $(head -n3 <<< "$outside" | tr '\n' ' ')"
fi
# shellcheck disable=SC2001  # only at the start of each line
inzip=$(sed "s|^$name/||" <<< "$listing")
required=(pelto5.exe pelto5-plugin-host.exe pelto5-pack.exe peltort5.pml demo.pp5)
for file in "${required[@]}"; do
  grep -qxF "$file" <<< "$inzip" || fail "the zip has no $file"
done
grep -qE '^fonts/[^/]+\.(ttf|ttc|otf)$' <<< "$inzip" || fail "the zip has no font in fonts/"
grep -qiE '^readme[^/]*$' <<< "$inzip" || fail "the zip has no README"
grep -qiE 'licen[cs]e|copying' <<< "$inzip" || fail "the zip has no licence text"
if [ "$inzip" != "$(list_files "$stage")" ]; then
  fail "the zip's files differ from the stage folder's:"
  diff <(printf '%s\n' "$inzip") <(list_files "$stage") >&2 || true
fi
unzip -q "$zipfile" -d "$work/zip"
unpacked=$work/zip/$name
while read -r file; do
  cmp -s "$unpacked/$file" "$stage/$file" || fail "$file in the zip differs from the stage folder's"
done <<< "$inzip"
pass "zip: $(wc -l <<< "$inzip") files, $(du -k "$zipfile" | cut -f1) KiB"

# Programs, DLLs and plug-ins (.spi) of the package may import Windows' own DLLs and each
# other; anything else (a compiler run-time, SDL2.dll) would be missing on
# a user's machine.
triple=$arch-w64-mingw32
ours=$(find "$unpacked" -iname '*.dll' -printf '%f\n' | tr '[:upper:]' '[:lower:]')
system_dll='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|comdlg32|comctl32|imm32|winmm|version|setupapi|cfgmgr32|dinput8|dxgi|d3d9|d3d11|d3d12|dwmapi|uxtheme|shlwapi|ws2_32|bcrypt|crypt32|secur32|userenv|hid|xinput1_[34]|xinput9_1_0|opengl32|avrt|mfplat|mf|mfreadwrite|ksuser|sapi|propsys|uiautomationcore|winspool\.drv|msvcrt|ntdll|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
while read -r binary; do
  [ -n "$binary" ] || continue
  imports=$("$triple-objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
  while read -r dll; do
    [ -n "$dll" ] || continue
    if ! grep -qE "$system_dll" <<< "$dll" && ! grep -qxF "$dll" <<< "$ours"; then
      fail "${binary#"$unpacked"/} needs $dll, which the package does not ship"
    fi
  done <<< "$imports"
done <<< "$(find "$unpacked" -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.spi' \))"
pass "zip: no DLL needed that Windows or the package lacks"

# --- The installer ---------------------------------------------------------
# NSIS installers are 32-bit programs: without wine32 only the zip is tested.
if ! wine32_works; then
  echo "skipped: the installer and uninstaller (wine32 is not installed, or this system runs no 32-bit x86 programs)"
  [ "$failures" -eq 0 ] || { echo "packages-test: $failures failures" >&2; exit 1; }
  exit 0
fi
export WINEPREFIX=$work/prefix WINEARCH=$winearch WINEDEBUG=-all
# No Mono or Gecko install prompt while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
instdir="$WINEPREFIX/drive_c/Program Files/pelto5"
instwin='C:\Program Files\pelto5'
startmenu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
cp "$setup" "$work/setup.exe"
wine "$work/setup.exe" /S >/dev/null 2>&1 || fail "the installer exited with status $?"
wineserver -w

if [ ! -d "$instdir" ]; then
  fail "nothing installed into $instdir"
else
  installed=$(list_files "$instdir")
  expected=$(printf '%s\nuninstall.exe\n' "$(list_files "$stage")" | LC_ALL=C sort)
  if [ "$installed" != "$expected" ]; then
    fail "the installed files differ from the stage folder's (and uninstall.exe):"
    diff <(printf '%s\n' "$installed") <(printf '%s\n' "$expected") >&2 || true
  fi
  while read -r file; do
    [ -f "$instdir/$file" ] || continue
    cmp -s "$instdir/$file" "$stage/$file" || fail "the installed $file differs from the stage folder's"
  done <<< "$(list_files "$stage")"
  pass "installer: $(wc -l <<< "$installed") files in $instwin"
fi

# The value of a registry entry (empty name: the key's default value), or
# nothing when the key or value does not exist. `wine reg` is the 32-bit
# program, which sees the 32-bit view of HKLM\Software unless told.
reg_value() {
  local key=$1 value=$2 out
  if [ -z "$value" ]; then
    out=$(wine reg query "$key" /ve "${regview[@]}" 2>/dev/null) || return 0
  else
    out=$(wine reg query "$key" /v "$value" "${regview[@]}" 2>/dev/null) || return 0
  fi
  printf '%s\n' "$out" | tr -d '\r' | sed -n 's/^ *[^ ].*  *REG_[A-Z_]*  *//p' | head -n1
}
reg_exists() { wine reg query "$1" "${regview[@]}" >/dev/null 2>&1; }
expect_value() {
  local key=$1 value=$2 want=$3 got
  got=$(reg_value "$key" "$value")
  if [ "$got" = "$want" ]; then pass "$key ${value:-(default)} = $want"
  else fail "$key ${value:-(default)} is '$got', not '$want'"; fi
}

classes='HKLM\Software\Classes'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\pelto5'
expect_value "$classes\\.pp5" "" "pelto5.package"
expect_value "$classes\\pelto5.package\\shell\\open\\command" "" "\"$instwin\\pelto5.exe\" \"%1\""
expect_value "$classes\\pelto5.package\\DefaultIcon" "" "$instwin\\pelto5.exe,0"
# The merged view programs read file types through.
expect_value 'HKCR\.pp5' "" "pelto5.package"
expect_value "$uninstall" UninstallString "\"$instwin\\uninstall.exe\""
expect_value "$uninstall" DisplayVersion "$version"
expect_value "$uninstall" InstallLocation "$instwin"

shortcut=$startmenu/pelto5.lnk
if [ ! -f "$shortcut" ]; then
  fail "no Start-menu shortcut $shortcut"
elif ! grep -qiF 'pelto5\pelto5.exe' <<< "$(strings -a "$shortcut"; strings -a -el "$shortcut")"; then
  fail "the Start-menu shortcut does not point at pelto5.exe"
else
  pass "Start-menu shortcut to pelto5.exe"
fi

# Installing again (an update) goes through the installed uninstaller first
# and ends in the same state.
before=$(list_files "$instdir")
wine "$work/setup.exe" /S >/dev/null 2>&1 || fail "the second install exited with status $?"
wineserver -w
if [ "$(list_files "$instdir")" != "$before" ]; then
  fail "installing again left other files: $(list_files "$instdir" | tr '\n' ' ')"
elif [ "$(reg_value "$classes\\.pp5" "")" != pelto5.package ] || [ ! -f "$shortcut" ]; then
  fail "installing again lost the file type or the shortcut"
else
  pass "installing again over the installed version"
fi

# --- The uninstaller -------------------------------------------------------
# A file of the user's in the folder survives, and so does the folder.
echo "a game of the user's" > "$instdir/mine.pp5"
wine "$instwin\\uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller exited with status $?"
# It copies itself elsewhere and runs from there: wait for that copy.
wineserver -w
left=""
if [ -d "$instdir" ]; then left=$(list_files "$instdir"); fi
if [ "$left" != "mine.pp5" ]; then
  fail "after uninstalling, the folder holds '$(tr '\n' ' ' <<< "$left")' instead of only the user's file"
else
  pass "uninstaller removed every installed file and kept the user's"
fi
rm -f "$instdir/mine.pp5"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
for key in "$classes\\.pp5" "$classes\\pelto5.package" "$classes\\Applications\\pelto5.exe" \
           'HKLM\Software\pelto5' "$uninstall"; do
  if reg_exists "$key"; then fail "$key is still in the registry"; fi
done
[ "$failures" -gt 0 ] || pass "uninstaller removed the shortcut and the registry keys"

if [ "$failures" -gt 0 ]; then
  echo "packages-test: $failures failures" >&2
  exit 1
fi
echo "packages-test: all checks passed ($arch)"
