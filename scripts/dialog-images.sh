#!/usr/bin/env bash
# Regenerates the pictures of the module's dialogs shown in the README
# (docs/images/*.png): builds the 64-bit module and fs9host, runs the wine
# screenshot scenario tests/wine/dialog_screenshots.scn on a private Xvfb
# display, and copies its dialog pictures, recompressed, into docs/images.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2

display=""
for n in $(seq 91 120); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "dialog-images: no free X display number" >&2; exit 1; }
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"

prefix="$PWD/build/native/wineprefix"
bash tests/run_wine.sh build/win64/FS9 "$prefix" --init
bash tests/run_wine.sh build/win64/FS9 "$prefix" tests/wine/dialog_screenshots.scn

# fs9host writes its PNGs uncompressed; the checked-in copies are deflated.
mkdir -p docs/images
for name in setup_dialog about_dialog key_assignments command_chooser key_capture; do
  python3 - "build/native/screenshots/$name.png" "docs/images/$name.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
chunks, at, idat = [], 8, b''
while at < len(data):
    size, kind = struct.unpack('>I4s', data[at:at + 8])
    body = data[at + 8:at + 8 + size]
    at += 12 + size
    if kind == b'IDAT':
        idat += body
    else:
        chunks.append((kind, body))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)
out = data[:8] + chunk(*chunks[0]) + chunk(b'IDAT', zlib.compress(zlib.decompress(idat), 9))
out += b''.join(chunk(k, b) for k, b in chunks[1:])
open(sys.argv[2], 'wb').write(out)
PY
  echo "docs/images/$name.png"
done
