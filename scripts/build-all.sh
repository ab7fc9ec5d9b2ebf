#!/usr/bin/env bash
# Installs what is missing, then configures and builds the four presets:
# native (with tests and tools), native-release (benchmarks), win32 (the shipped DLL and the release
# package), win64 (the test DLL and fs9host.exe).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in native native-release win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
