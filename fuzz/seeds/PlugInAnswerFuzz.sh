#!/usr/bin/env bash
# Seeds of PlugInAnswerFuzz: helper answers as the target reads them (the
# call's number, then the message): a description, an IsSupported yes, a
# picture placed in the shared block and a refused picture.
# Usage: PlugInAnswerFuzz.sh DIR
set -euo pipefail
out=${1:?usage: $0 DIR}
mkdir -p "$out"
python3 - "$out" <<'PY'
import struct, sys, os
out = sys.argv[1]
def text(s): return struct.pack("<I", len(s)) + s
def seed(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
seed("describe", b"\x01\x01" + text(b"00IN") + text(b"sample") + text(b"Portable pixmap") + text(b"*.PPM") + b"\x01")
seed("supported", b"\x02\x01")
seed("picture", b"\x03\x01" + struct.pack("<QQQQ", 0, 40, 64, 16))
seed("refused", b"\x03\x00" + struct.pack("<QQQQ", 0, 0, 0, 0))
PY
