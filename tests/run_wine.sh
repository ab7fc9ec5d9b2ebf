#!/usr/bin/env bash
# Runs one scenario in fs9host.exe under wine against the real module and
# compares the output with the scenario's .out file, the same file the
# substitute host's run is compared with: under the system's wine64 with
# the 64-bit build, or with --wine32 under the private 32-bit wine in ROOT
# (scripts/setup-wine32.sh) with the shipped 32-bit module.
#
#   run_wine.sh [--wine32 ROOT] FS9-FOLDER WINEPREFIX SCRIPT.scn
#   run_wine.sh [--wine32 ROOT] FS9-FOLDER WINEPREFIX --init   (create the prefix)
set -euo pipefail
wine32_root=""
if [ "${1:-}" = --wine32 ]; then
  wine32_root=$2
  shift 2
fi
fs9=$1 prefix=$2 script=$3

. "$(dirname "$0")/wine/env.sh"

if [ "$script" = --init ]; then
  mkdir -p "$prefix"
  timeout 300 "$wine" wineboot.exe --init
  # The display has no window manager: wine draws the windows' captions.
  timeout 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
  timeout 60 /usr/lib/wine/wineserver -w || true
  [ -d "$prefix/drive_c" ] || { echo "wine did not create $prefix/drive_c" >&2; exit 1; }
  exit 0
fi

[ -x "$fs9/fs9host.exe" ] || { echo "no $fs9/fs9host.exe: build the win64 and win32 presets" >&2; exit 1; }
rm -rf "$prefix/drive_c/FS9"
cp -r "$fs9" "$prefix/drive_c/FS9"
shots=$(dirname "$prefix")/screenshots${wine32_root:+/wine32}
mkdir -p "$shots"
export SKYVANE_SCREENSHOTS="Z:${shots//\//\\}"

expected=${script%.scn}.out
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
timeout 120 "$wine" 'C:\FS9\fs9host.exe' - < "$script" > "$actual"
if ! diff -u "$expected" "$actual"; then
  echo "under wine${wine32_root:+32}, the output of $(basename "$script") differs from $(basename "$expected") (got +, expected -)" >&2
  exit 1
fi
