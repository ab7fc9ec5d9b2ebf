#!/usr/bin/env bash
# Builds everything and runs every test: unit tests, scenario tests on the
# substitute host, the same scenarios and the screenshots under wine64 with
# the real module, the checks of the module DLLs and of the release package.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-all.sh

# A private X display for the wine tests, stopped again on the way out.
display=""
for n in $(seq 91 120); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "test: no free X display number" >&2; exit 1; }
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"

# The 32-bit legs run where this kernel executes i386 code; elsewhere CTest
# reports them skipped, and here is why.
if ! reason=$(bash tests/i386_probe.sh build/native/i386-probe); then
  echo "test: native32 and wine32 tests will be skipped: $reason"
fi
ctest --preset native -j "$(nproc)"
