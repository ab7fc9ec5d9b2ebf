#!/usr/bin/env bash
# Runs a test of the 32-bit legs (native32, wine32), or reports it skipped
# with the reason (exit 77, CTest's SKIP_RETURN_CODE for these tests) where
# this kernel refuses to execute i386 code.
#
#   run_i386.sh PROBE-DIR COMMAND [ARGS...]
set -u
probe_dir=$1
shift
if ! reason=$(bash "$(dirname "$0")/i386_probe.sh" "$probe_dir"); then
  echo "skipped: $reason"
  exit 77
fi
exec "$@"
