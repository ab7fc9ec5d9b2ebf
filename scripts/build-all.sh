#!/usr/bin/env bash
# Installs what is missing, then configures and builds the five presets:
# native (with tests and tools), native-release (benchmarks), fuzz (the libFuzzer harnesses),
# win32 (the shipped DLL and the release package), win64 (the test DLL and fs9host.exe).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in native native-release fuzz win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
