#!/usr/bin/env bash
# Installs what is missing, then configures and builds the five presets:
# native (with tests and tools), native-release (benchmarks), fuzz (the
# libFuzzer harnesses), native32 (the core and its tests as 32-bit code),
# win32 (the shipped DLL, the release package and the 32-bit fs9host.exe),
# win64 (the 64-bit DLL and fs9host.exe).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in native native-release fuzz native32 win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
