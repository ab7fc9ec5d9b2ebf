#!/usr/bin/env bash
# Line coverage of each libFuzzer harness's corpus: builds the harnesses with
# clang's source coverage (build/fuzz-coverage, no sanitizers), runs each
# over its grown corpus (build/fuzz/corpus/NAME, from scripts/fuzz.sh) and its
# seeds without fuzzing, and prints the lines covered per source file of the
# module (src/) the harness reaches.
#
#   scripts/fuzz-coverage.sh [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/fuzz-coverage
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DSKYVANE_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" >/dev/null
cmake --build "$out" -j2 >/dev/null

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do
    base=$(basename "$source" .cpp)
    names+=("${base%_fuzz}")
  done
fi

for name in "${names[@]}"; do
  harness=$out/fuzz/${name}_fuzz
  profile=$out/profiles/$name
  rm -rf "$profile"
  mkdir -p "$profile" "build/fuzz/corpus/$name"
  LLVM_PROFILE_FILE="$profile/run.profraw" "$harness" -runs=0 "build/fuzz/corpus/$name" "fuzz/corpus/$name" \
      >/dev/null 2>&1
  llvm-profdata merge -sparse "$profile/run.profraw" -o "$profile/run.profdata"
  echo "== $name ($(ls "build/fuzz/corpus/$name" "fuzz/corpus/$name" | grep -vc ':$\|^$') inputs)"
  # Files of src/ with at least one line run. llvm-cov's columns: name,
  # regions (3), functions (3), lines, missed lines, line coverage, branches (3).
  llvm-cov report "$harness" -instr-profile="$profile/run.profdata" "$PWD/src" 2>/dev/null |
      awk 'NF == 13 && $1 != "Filename" && $1 != "TOTAL" && $10 != "0.00%" {
             printf "  %-36s %5d of %5d lines  %7s\n", $1, $8 - $9, $8, $10 }'
done
