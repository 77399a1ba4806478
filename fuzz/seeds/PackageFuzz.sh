#!/usr/bin/env bash
# Seeds for PackageFuzz: small containers made by pelto5-pack (plain,
# compressed, scrambled, each magic). The corpus also keeps "lookup-names"
# as the fuzzer found it: a legacy archive whose entries' names reduce to
# one file name (doubled "\\", ".." taking back a part). Needs a built
# pelto5-pack in build/ (or $PELTO5_BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: PackageFuzz.sh DIRECTORY}
pack=${PELTO5_BUILD_DIR:-$top/build}/pelto5-pack
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/sub"
printf 'hello, hello, hello, hello\r\n' > "$work/src/a.txt"
printf '\001\002\003' > "$work/src/sub/b.bin"
: > "$work/src/empty"
"$pack" create "$out/plain" "$work/src" >/dev/null
"$pack" create --compress "$out/compressed" "$work/src" >/dev/null
"$pack" create --scramble "$out/scrambled" "$work/src" >/dev/null
"$pack" create --magic PV5SAVE --compress --scramble "$out/save" "$work/src" >/dev/null
"$pack" create --magic PV5LIB "$out/library" "$work/src" >/dev/null
