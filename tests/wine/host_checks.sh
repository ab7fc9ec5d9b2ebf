#!/usr/bin/env bash
# fs9host's checks of the module's calls into the AI aircraft container
# (acontain.dll): a call made the way a module with the wrong calling
# convention makes it (on i386 the callee finds a stray object in ECX, or
# the object where it reads the index) must be reported and end fs9host
# with exit code 3, whichever member function it reaches. Under wine64 with
# the 64-bit build, or with --wine32 under the private 32-bit wine in ROOT
# with the shipped module's build.
#
#   host_checks.sh [--wine32 ROOT] FS9-FOLDER WINEPREFIX
set -uo pipefail
wine32_root=""
if [ "${1:-}" = --wine32 ]; then
  wine32_root=$2
  shift 2
fi
fs9=$1 prefix=$2

. "$(dirname "$0")/env.sh"
[ -x "$fs9/fs9host.exe" ] && [ -f "$fs9/acontain.dll" ] || { echo "no $fs9/fs9host.exe and acontain.dll" >&2; exit 1; }
rm -rf "$prefix/drive_c/FS9"
cp -r "$fs9" "$prefix/drive_c/FS9"

failed=0
# misuse, then the start of the report fs9host must give
check() {
  local misuse=$1 expected=$2 err rc
  err=$(printf 'ai add Cessna 47.5 8.5 2000\nacontain-misuse %s\n' "$misuse" |
        timeout 60 "$wine" 'C:\FS9\fs9host.exe' - 2>&1 >/dev/null | tr -d '\r')
  rc=$?
  if [ "$rc" -ne 3 ] || [[ "$err" != "$expected"* ]]; then
    echo "acontain-misuse $misuse: exit $rc, stderr: $err" >&2
    echo "  expected exit 3 and: $expected ..." >&2
    failed=1
  fi
}
check count "fs9host: count: not called on the container (calling convention?)"
check get "fs9host: get: index outside the count (calling convention?)"
check record "fs9host: entry 4: not called on an aircraft object (calling convention?)"
[ "$failed" -eq 0 ] && echo "the container's checks report each misuse and end fs9host with exit 3"
exit "$failed"
