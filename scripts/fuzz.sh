#!/usr/bin/env bash
# Builds the fuzz preset and runs each libFuzzer harness in turn for SECONDS
# (default 60), niced, growing its corpus in build/fuzz/corpus/NAME/ from the
# seeds in fuzz/corpus/NAME/. Prints per harness: executions, executions per
# second, coverage, corpus size and findings (inputs kept in
# build/fuzz/findings/NAME/). Exit code 1 when anything was found.
#
#   scripts/fuzz.sh [SECONDS] [NAME...]     (NAME: key_bindings, view_file, ...)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS] [NAME...]" >&2; exit 2; }

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do
    base=$(basename "$source" .cpp)
    names+=("${base%_fuzz}")
  done
fi

stat_of() { sed -n "s/^stat::$1: *//p" "$2" | tail -1; }
found_any=0
printf '%-16s %8s %12s %8s %6s %12s %s\n' harness seconds executions exec/s cov corpus findings
for name in "${names[@]}"; do
  harness=build/fuzz/fuzz/${name}_fuzz
  [ -x "$harness" ] || { echo "no harness $harness" >&2; exit 2; }
  corpus=build/fuzz/corpus/$name findings=build/fuzz/findings/$name log=build/fuzz/logs/$name.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  before=$(ls "$findings" | wc -l)
  status=0
  nice -n 10 "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  found=$(( $(ls "$findings" | wc -l) - before ))
  [ "$status" -ne 0 ] && [ "$found" -eq 0 ] && found=1
  [ "$found" -gt 0 ] && found_any=1
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)
  printf '%-16s %8s %12s %8s %6s %12s %s\n' "$name" "$seconds" "$(stat_of number_of_executed_units "$log")" \
      "$(stat_of average_exec_per_sec "$log")" "${cov:-?}" "$(ls "$corpus" | wc -l) inputs" "$found"
done
exit $found_any
