#!/usr/bin/env bash
# Runs net_win32_check.exe (the DLL's network seam, Winsock loaded at run
# time) under wine64; once it prints its port, sends it head tracker
# datagrams from the Linux side with udpsend, then compares its report
# (less the port line) with the expected one.
#
#   run_wine_net.sh WINEPREFIX CHECK.exe UDPSEND EXPECTED.out
set -euo pipefail
prefix=$1 check=$2 udpsend=$3 expected=$4

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "no $wine: run scripts/setup.sh" >&2; exit 1; }
[ -f "$check" ] || { echo "no $check: build the win64 preset" >&2; exit 1; }
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

out=$(mktemp)
trap 'rm -f "$out"' EXIT
timeout 90 "$wine" "$check" > "$out" &
pid=$!
port=
for _ in $(seq 1 600); do
  port=$(tr -d '\r' < "$out" | sed -n 's/^port \([0-9][0-9]*\)$/\1/p')
  [ -n "$port" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  wait "$pid" || true
  cat "$out" >&2
  echo "net_win32_check.exe printed no port" >&2
  exit 1
fi
"$udpsend" "$port" 10 -5 20 30 15 -10 5 50
rc=0
wait "$pid" || rc=$?
if ! diff -u "$expected" <(tr -d '\r' < "$out" | grep -v '^port '); then
  echo "under wine, the network seam's report differs from $(basename "$expected") (got +, expected -)" >&2
  exit 1
fi
[ "$rc" -eq 0 ] || { echo "net_win32_check.exe failed ($rc)" >&2; exit 1; }
