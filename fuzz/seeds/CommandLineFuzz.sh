#!/usr/bin/env bash
# Seeds for CommandLineFuzz: command lines of the README, each argument
# ended by a NUL byte, written here.
set -euo pipefail
out=${1:?usage: CommandLineFuzz.sh DIRECTORY}
mkdir -p "$out"
args() { local file=$1; shift; printf '%s\0' "$@" > "$out/$file"; }
args headless --headless --events walk.events --max-time 60000 --dump-state out/dump.txt \
  --screenshot out/last.png --answer no --trace --trace-audio demo.pp5
args window --scale 3 --filter linear --library peltort5.pml --save-dir saves game
args check --check --format json --no-variables --no-resources story.pf5
args dash-content --headless -- -strange.pf5
args help -h
args version --version
args bad-scale --scale 17 x.pp5
