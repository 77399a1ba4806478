#!/usr/bin/env bash
# Seeds of JpegFuzz: small JPEGs made with ImageMagick, one of each kind
# the decoder handles (baseline, progressive, grey, CMYK, subsampled, odd
# sizes). Usage: JpegFuzz.sh DIR
set -euo pipefail
out=${1:?usage: $0 DIR}
mkdir -p "$out"
convert -size 16x8 gradient:red-blue -quality 75 "$out/baseline.jpg"
convert -size 17x9 plasma:fractal -seed 1 -interlace JPEG -quality 60 "$out/progressive.jpg"
convert -size 8x8 gradient: -colorspace Gray "$out/grey.jpg"
convert -size 8x8 gradient:yellow-cyan -colorspace CMYK "$out/cmyk.jpg"
convert -size 13x5 xc:orange -sampling-factor 2x2 "$out/subsampled.jpg"
convert -size 1x1 xc:white "$out/one-pixel.jpg"
