#!/usr/bin/env bash
# Seeds for PngFuzz: small PNG files of each colour type, written by this
# script. The target puts the PNG signature in front of its input, so the
# seeds start after it.
set -euo pipefail
out=${1:?usage: PngFuzz.sh DIRECTORY}
mkdir -p "$out"
python3 - "$out" <<'PY'
import struct, sys, zlib
out = sys.argv[1]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
def png(name, width, height, depth, colour, rows, palette=None, trns=None, interlace=0):
    body = chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))
    if palette: body += chunk(b"PLTE", palette)
    if trns: body += chunk(b"tRNS", trns)
    body += chunk(b"IDAT", zlib.compress(b"".join(b"\0" + r for r in rows)))
    body += chunk(b"IEND", b"")
    open(f"{out}/{name}", "wb").write(body)
png("rgb", 3, 2, 8, 2, [bytes([10, 20, 30] * 3), bytes([200, 100, 0] * 3)])
png("rgba", 2, 2, 8, 6, [bytes([1, 2, 3, 128, 4, 5, 6, 255])] * 2)
png("palette", 4, 2, 8, 3, [bytes([0, 1, 2, 1])] * 2, palette=bytes(range(9)), trns=b"\x00\x80")
png("gray1", 9, 3, 1, 0, [b"\xa5\x80"] * 3)
png("gray16", 2, 1, 16, 0, [b"\x12\x34\xff\xff"])
png("grayalpha", 2, 1, 8, 4, [b"\x10\x20\x30\x40"])
png("interlaced", 5, 5, 8, 2, [bytes(15)] * 5, interlace=1)
PY
