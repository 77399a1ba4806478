#!/usr/bin/env bash
# Seeds for BmpFuzz: small BMP files of each depth, bottom-up and top-down,
# written by this script.
set -euo pipefail
out=${1:?usage: BmpFuzz.sh DIRECTORY}
mkdir -p "$out"
python3 - "$out" <<'PY'
import struct, sys
out = sys.argv[1]
def bmp(name, width, height, bits, rows, palette=b"", compression=0, data=None):
    stride = (width * bits + 31) // 32 * 4
    pixels = data if data is not None else b"".join(r.ljust(stride, b"\0") for r in rows)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                       len(palette) // 4, 0)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    open(f"{out}/{name}", "wb").write(head + info + palette + pixels)
gray = lambda n: b"".join(bytes([i * 255 // max(n - 1, 1)] * 3 + [0]) for i in range(n))
bmp("rgb24", 3, 2, 24, [bytes([1, 2, 3] * 3), bytes([250, 128, 0] * 3)])
bmp("rgb24-topdown", 2, -2, 24, [bytes(6), bytes([255] * 6)])
bmp("rgb32", 2, 2, 32, [bytes([9, 8, 7, 0] * 2)] * 2)
bmp("pal8", 3, 3, 8, [bytes([0, 1, 2])] * 3, palette=gray(3))
bmp("pal4", 5, 2, 4, [b"\x01\x23\x40"] * 2, palette=gray(16))
bmp("pal1", 10, 2, 1, [b"\xaa\xc0"] * 2, palette=gray(2))
bmp("rle8", 4, 2, 8, None, palette=gray(4), compression=1, data=b"\x04\x01\x00\x00\x02\x02\x02\x03\x00\x01")
bmp("rle4", 4, 2, 4, None, palette=gray(16), compression=2, data=b"\x04\x12\x00\x00\x04\x34\x00\x01")
PY
