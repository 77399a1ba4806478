#!/usr/bin/env bash
# Seeds of GifFuzz: small GIFs made with ImageMagick: plain, interlaced,
# with a transparent colour, two frames, a frame placed on a larger screen.
# Usage: GifFuzz.sh DIR
set -euo pipefail
out=${1:?usage: $0 DIR}
mkdir -p "$out"
convert -size 12x7 gradient:red-blue -colors 16 "$out/plain.gif"
convert -size 9x13 plasma:fractal -seed 2 -colors 64 -interlace GIF "$out/interlaced.gif"
convert -size 6x6 xc:none -fill green -draw "rectangle 1,1 4,4" "$out/transparent.gif"
convert -delay 10 -size 5x5 xc:red xc:blue "$out/two-frames.gif"
convert -size 4x3 xc:purple -page 10x10+3+2 "$out/placed.gif"
