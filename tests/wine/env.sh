# env.sh - sourced by every test script that starts wine: checks the display
# and picks the wine to run, $wine: the system's wine64 for the 64-bit
# build, or, when $wine32_root is set, the 32-bit loader from that private
# root (scripts/setup-wine32.sh) with its i386 libraries and the system's
# wineserver (the same wine version serves both bitnesses). Exports the
# wine settings for the prefix in $prefix.
if [ -z "${DISPLAY:-}" ]; then
  echo "wine tests need an X display (scripts/test.sh starts Xvfb)" >&2
  exit 1
fi
wine=/usr/lib/wine/wine64
if [ -n "${wine32_root:-}" ]; then
  wine=$wine32_root/usr/lib/wine/wine
  export WINEARCH=win32 WINESERVER=/usr/lib/wine/wineserver
  export LD_LIBRARY_PATH=$wine32_root/usr/lib/i386-linux-gnu:$wine32_root/lib/i386-linux-gnu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
fi
[ -x "$wine" ] || { echo "no $wine: run scripts/setup.sh" >&2; exit 1; }
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# fs9host needs the simulator's own addresses (its page at 0x47D000, the
# records up to 0x0BAE0000) free, but wine reserves heaps and maps files low
# in memory before the program starts, over them (both bitnesses): this
# keeps wine's own allocations out of that range.
export WINEPRELOADRESERVE=00400000-0c000000
