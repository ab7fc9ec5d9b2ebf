#!/usr/bin/env bash
# Runs one libFuzzer harness of the fuzz preset briefly over its checked-in
# seeds, so that every harness keeps building and running: every seed is run
# first, then the harness fuzzes for the rest of the time. A finding (crash,
# failed check, undefined behaviour, a run over 10 s) fails the test; its
# input lands in the work folder.
#
#   run_fuzz.sh HARNESS SEED-FOLDER WORK-FOLDER SECONDS
set -euo pipefail
harness=$1 seeds=$2 work=$3 seconds=$4

[ -x "$harness" ] || { echo "no $harness: build the fuzz preset (scripts/build-all.sh)" >&2; exit 1; }
[ -d "$seeds" ] && [ -n "$(ls -A "$seeds")" ] || { echo "no seeds in $seeds" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work/corpus"
# New inputs go to the work folder's corpus (the first folder); the seeds stay as they are.
exec "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" "$seeds"
