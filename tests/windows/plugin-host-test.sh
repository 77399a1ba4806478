#!/usr/bin/env bash
# The Windows side of the plug-in helper, without the rest of the player:
# builds pelto5-plugin-host.exe and tests/windows/plugin-host/HelperCheck.cpp
# from their sources with mingw-w64, the sample and the test plug-ins as
# DLLs, and runs the check under wine, for each machine named (default:
# x86_64 i686).
#
#   tests/windows/plugin-host-test.sh [x86_64] [i686]
#
# The check drives the helper through the player's own platform classes: a
# picture decodes, the shared block grows, a plug-in without FreePicture
# hands over local memory handles, a huge claim is refused, a crash ends the
# helper with an access violation, a hang is cut off at the time limit, a
# new helper starts after each, and a DLL of the other machine does not
# load. The plug-ins lie in a folder with Japanese letters and a space in
# its name. When its parent is killed, the helper goes with it.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
arches=("$@")
((${#arches[@]})) || arches=(x86_64 i686)
command -v wine >/dev/null || { echo "wine is needed" >&2; exit 2; }
export WINEDEBUG=${WINEDEBUG:--all}
work=$(mktemp -d "${TMPDIR:-/tmp}/pelto5-plugin-host-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

# What pelto5-plugin-host links (as the image layer would give it).
host_sources=(
  tools/plugin-host/main.cpp
  src/image/PlugInHostServer.cpp src/image/NativePlugIn.cpp src/image/PlugInMessages.cpp src/image/BmpDecoder.cpp
  src/base/IntegerConversion.cpp src/base/NativeFile.cpp
  src/platform/ChildProcess.cpp src/platform/ChildProcessWindows.cpp
  src/platform/MessageSocket.cpp src/platform/MessageSocketWindows.cpp
  src/platform/SharedMemory.cpp src/platform/SharedMemoryWindows.cpp
  src/platform/SharedLibrary.cpp src/platform/SharedLibraryWindows.cpp
)
check_sources=(tests/windows/plugin-host/HelperCheck.cpp "${host_sources[@]:1}")

compiler() {  # ARCH LANGUAGE(gcc|g++)
  if command -v "$1-w64-mingw32-$2-posix" >/dev/null; then echo "$1-w64-mingw32-$2-posix"; else echo "$1-w64-mingw32-$2"; fi
}

# The processes started from $out (as a Windows path: $out_windows) whose
# command line holds text.
pids_running() {
  local entry pid line
  for entry in /proc/[0-9]*/cmdline; do
    pid=${entry#/proc/}
    pid=${pid%/cmdline}
    line=$({ tr '\0' ' ' <"$entry"; } 2>/dev/null) || continue
    [[ $line == *"$1"* && ($line == *"$out_windows"* || $line == *"$out"*) ]] && echo "$pid"
  done
  return 0
}

failed=0
for arch in "${arches[@]}"; do
  case $arch in
    x86_64) other=i686 ;;
    i686) other=x86_64 ;;
    *) echo "unknown machine $arch" >&2; exit 2 ;;
  esac
  out=$work/$arch
  plugins="$out/プラグイン フォルダ"
  mkdir -p "$plugins"
  out_windows=$(winepath -w "$out")
  cxx=$(compiler "$arch" g++)
  flags=(-std=c++20 -O2 -Wall -Wextra -Werror -I"$top/src" -I"$top/include" -DUNICODE -D_UNICODE -static)
  (cd "$top" && nice -n 10 "$cxx" "${flags[@]}" -o "$out/pelto5-plugin-host.exe" "${host_sources[@]}")
  (cd "$top" && nice -n 10 "$cxx" "${flags[@]}" -municode -o "$out/helper-check.exe" "${check_sources[@]}")
  plugin() {  # ARCH OUT SOURCE [DEFINE]
    local cc
    cc=$(compiler "$1" gcc)
    local link=(-shared -static-libgcc)
    [[ $1 == i686 ]] && link+=(-Wl,--kill-at)
    "$cc" -std=c11 -O2 -Wall -Wextra -Werror "${link[@]}" -I"$top/include" "${@:4}" -o "$2" "$3"
  }
  tiny=$top/tests/windows/plugin/TinyPicture.c
  plugin "$arch" "$plugins/ppm.spi" "$top/plugins/ppm/PpmPlugIn.c"
  plugin "$arch" "$plugins/crash.spi" "$tiny" -DTINY_CRASH
  plugin "$arch" "$plugins/huge.spi" "$tiny" -DTINY_HUGE
  plugin "$arch" "$plugins/local.spi" "$tiny" -DTINY_LOCAL
  plugin "$other" "$plugins/other.spi" "$tiny"

  echo "--- $arch"
  if ! (cd "$out" && timeout 300 wine helper-check.exe "$(winepath -w "$out/pelto5-plugin-host.exe")" \
    "$(winepath -w "$plugins")" 2>"$out/stderr.log"); then
    failed=1
    cat "$out/stderr.log" >&2
  fi

  # A parent that is killed takes its helper along (the job object).
  host=$(winepath -w "$out/pelto5-plugin-host.exe")
  wine "$out/helper-check.exe" --wait "$host" >"$out/wait.log" 2>&1 &
  launcher=$!
  for _ in $(seq 1 60); do
    grep -q "helper started" "$out/wait.log" && break
    sleep 1
  done
  helpers=$(pids_running "pelto5-plugin-host.exe")
  [[ -n $helpers ]] || { echo "FAIL: no helper was started to be left behind" >&2; failed=1; }
  for pid in $(pids_running "helper-check.exe --wait"); do kill -KILL "$pid"; done
  wait "$launcher" 2>/dev/null || true
  for _ in $(seq 1 20); do
    [[ -z $(pids_running "pelto5-plugin-host.exe") ]] && break
    sleep 0.5
  done
  if [[ -n $(pids_running "pelto5-plugin-host.exe") ]]; then
    echo "FAIL: the helper outlived its killed parent" >&2
    failed=1
  fi
done
((failed == 0)) && echo "plug-in helper test passed: ${arches[*]}"
exit $failed
