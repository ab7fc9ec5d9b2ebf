#!/usr/bin/env bash
# The effect sound bank on wine's real DirectSound, heard through a file:
# wine's audio goes to ALSA's default device, which a private HOME's
# .asoundrc makes a "file" plugin over a "null" device, so no sound card is
# needed. soundcheck.exe plays nothing for a second, loops "Wind 10-X.wav"
# for two, stops it and plays nothing for one more; stream_check then reads
# the mixed stream and wants silence, sound, silence. When wine writes no
# stream at all the test fails and says so (docs/sound.md).
#
#   sound_stream.sh FS9-FOLDER WINEPREFIX STREAM-CHECK
set -euo pipefail
fs9=$1 prefix=$2 check=$3

if [ -z "${DISPLAY:-}" ]; then
  echo "wine tests need an X display (scripts/test.sh starts Xvfb)" >&2
  exit 1
fi
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "no $wine: run scripts/setup.sh" >&2; exit 1; }
[ -f "$fs9/soundcheck.exe" ] || { echo "no $fs9/soundcheck.exe: build the win64 preset" >&2; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
stream=$home/stream.wav
cat > "$home/.asoundrc" <<ASOUNDRC
pcm.!default {
    type file
    slave.pcm "null"
    file "$stream"
    format "wav"
}
ASOUNDRC

rm -rf "$prefix/drive_c/FS9"
cp -r "$fs9" "$prefix/drive_c/FS9"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME=$home

out=$(timeout 120 "$wine" 'C:\FS9\soundcheck.exe' | tr -d '\r') || true
expected=$'bank manager 1 listener 1 loaded 12\nwind start 1\nwind stop 1\ndone'
if [ "$out" != "$expected" ]; then
  echo "soundcheck.exe under wine printed (got +, expected -):" >&2
  diff -u <(echo "$expected") <(echo "$out") >&2 || true
  exit 1
fi
if [ ! -s "$stream" ]; then
  echo "WINE AUDIO WAS NOT WRITTEN TO $stream: wine found no ALSA output" \
       "(see docs/sound.md, 'Sound under wine')" >&2
  exit 1
fi
"$check" "$stream"
