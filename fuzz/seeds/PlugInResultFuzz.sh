#!/usr/bin/env bash
# Seeds of PlugInResultFuzz: plug-in results as the target reads them (two
# bytes of info-block length, the info block: a 40-byte bitmap header with
# its masks or colour table, then the bits), in 1, 4, 8, 16, 24 and 32 bits,
# bottom-up and top-down, bit fields and RLE8. Usage: PlugInResultFuzz.sh DIR
set -euo pipefail
out=${1:?usage: $0 DIR}
mkdir -p "$out"
python3 - "$out" <<'PY'
import struct, sys, os
out = sys.argv[1]
def result(name, width, height, bits, compression=0, table=b"", masks=b"", rows=b""):
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(rows), 0, 0,
                         len(table) // 4, 0)
    info = header + masks + table
    with open(os.path.join(out, name), "wb") as f:
        f.write(struct.pack("<H", len(info)) + info + rows)
grey = lambda n: b"".join(bytes([i * 255 // max(n - 1, 1)] * 3 + [0]) for i in range(n))
result("mono", 3, 2, 1, table=grey(2), rows=b"\xa0\0\0\0\x40\0\0\0")
result("nibbles", 3, -2, 4, table=grey(16), rows=b"\x12\x30\0\0\xfe\xd0\0\0")
result("palette8", 2, 2, 8, table=grey(256), rows=b"\x00\xff\0\0\x80\x40\0\0")
result("rgb555", 2, 1, 16, rows=b"\x1f\x00\xe0\x03")
result("bitfields565", 2, 1, 16, compression=3, masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F), rows=b"\x1f\x00\xe0\x07")
result("rgb24", 2, 2, 24, rows=b"\x01\x02\x03\x04\x05\x06\0\0\x07\x08\x09\x0a\x0b\x0c\0\0")
result("rgb32", 1, -2, 32, rows=b"\x10\x20\x30\x00\x40\x50\x60\x00")
result("rle8", 4, 2, 8, compression=1, table=grey(4), rows=b"\x04\x01\x00\x00\x02\x03\x00\x01")
PY
