#!/usr/bin/env bash
# Builds everything (native with the substitute host and tests, the 32-bit
# module DLL, the 64-bit test DLL) and runs the demo scenario.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in native win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

echo
echo "== demo: tools/skyvane-sim/demo.scn"
build/native/tools/skyvane-sim/skyvane-sim tools/skyvane-sim/demo.scn
