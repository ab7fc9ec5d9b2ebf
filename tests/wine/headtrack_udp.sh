#!/usr/bin/env bash
# Head tracking end to end under wine: picks a free loopback port, writes it
# into headtrack_udp.script where $PORT stands, keeps udpsend sending one
# pose from the Linux side every 10 ms, and runs the script in fs9host with
# run_wine.sh against headtrack_udp.out (64-bit leg, or with --wine32 the
# shipped 32-bit module under the private 32-bit wine).
#
#   headtrack_udp.sh [--wine32 ROOT] FS9-FOLDER WINEPREFIX UDPSEND
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine32=()
if [ "${1:-}" = --wine32 ]; then
  wine32=(--wine32 "$2")
  shift 2
fi
fs9=$1 prefix=$2 udpsend=$3

port=$("$udpsend" --free-port)
work=$(mktemp -d)
sender=""
cleanup() {
  if [ -n "$sender" ]; then
    kill "$sender" 2>/dev/null || true
    wait "$sender" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
sed "s/\\\$PORT/$port/g" "$here/headtrack_udp.script" > "$work/headtrack_udp.scn"
cp "$here/headtrack_udp.out" "$work/headtrack_udp.out"
# x 10, y -5, z 20 cm; yaw 30, pitch 15 up, roll 10 left; for up to two minutes.
"$udpsend" "$port" 10 -5 20 30 15 -10 12000 10 &
sender=$!
bash "$here/../run_wine.sh" "${wine32[@]}" "$fs9" "$prefix" "$work/headtrack_udp.scn"
