#!/usr/bin/env bash
# Seeds for MagFuzz: small MAG files (16 and 256 colours, pixels stored
# directly and copied from earlier positions), written by this script.
set -euo pipefail
out=${1:?usage: MagFuzz.sh DIRECTORY}
mkdir -p "$out"
python3 - "$out" <<'PY'
import struct, sys
out = sys.argv[1]
def mag(name, colors256, xend, yend, flag_a, flag_b, pixels, top=0, comment=b"seed"):
    palette_bytes = 768 if colors256 else 48
    a = 32 + palette_bytes
    b = a + len(flag_a)
    p = b + len(flag_b)
    head = bytes([top, 3, 0, 0x80 if colors256 else 0]) + struct.pack("<HHHH", 0, 0, xend, yend)
    head += struct.pack("<IIIII", a, b, len(flag_b), p, len(pixels))
    palette = b"".join(bytes([(i * 3 + 1) & 255, (i * 5 + 2) & 255, (i * 7 + 3) & 255])
                       for i in range(palette_bytes // 3))
    data = b"MAKI02  " + b"SEED" + b" " * 18 + comment + b"\x1a" + head + palette + flag_a + flag_b + pixels
    open(f"{out}/{name}", "wb").write(data)
# 16 colours, 8 x 2 pixels: 4 pixels a unit, 2 units a line, one flag
# byte per line. All pixels stored directly.
mag("direct16", False, 7, 1, b"\x00", b"", bytes([0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef]))
# The second line copies the line above (flag 4 for both units).
mag("copy16", False, 7, 1, b"\x40", b"\x44", bytes([0x12, 0x34, 0x56, 0x78]))
# 256 colours, 4 x 2 pixels: 2 pixels a unit.
mag("direct256", True, 3, 1, b"\x00", b"", bytes(range(8)))
mag("copy256", True, 3, 1, b"\x40", b"\x44", bytes([5, 6, 7, 8]))
PY
