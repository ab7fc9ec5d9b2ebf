#!/usr/bin/env bash
# Builds everything and runs the demo scenario.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-all.sh
echo
echo "== demo: tools/skyvane-sim/demo.scn"
build/native/tools/skyvane-sim/skyvane-sim tools/skyvane-sim/demo.scn
