#!/usr/bin/env bash
# Builds everything and runs every test: unit tests, scenario tests and the
# checks of the built module DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in native win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
ctest --preset native -j "$(nproc)"
