#!/usr/bin/env bash
# Effect sounds on wine's real DirectSound, heard through a file: wine's
# audio goes to ALSA's default device, which a private HOME's .asoundrc
# makes a "file" plugin over a "null" device, so no sound card is needed.
# stream_check then reads the mixed stream and wants silence, one stretch of
# sound, silence. When wine writes no stream at all the test fails and says
# so (docs/sound.md).
#
# With SCRIPT, fs9host.exe runs that scenario with the module inside it
# (tests/wine/sound/*.scn; its output must equal the .out beside it): the
# module's own camera tick starts and stops the sounds. Without, the bank
# alone: soundcheck.exe (64-bit build only) loads all twelve files, stays
# silent for a second, loops "Wind 10-X.wav" for two, stops it and stays
# silent for one more. --wine32 ROOT runs under the private 32-bit wine
# with the shipped module's build.
#
#   sound_stream.sh [--wine32 ROOT] FS9-FOLDER WINEPREFIX STREAM-CHECK [SCRIPT.scn]
set -euo pipefail
wine32_root=""
if [ "${1:-}" = --wine32 ]; then
  wine32_root=$2
  shift 2
fi
fs9=$1 prefix=$2 check=$3 script=${4:-}

# The private root's i386 libraries include its libasound2.
. "$(dirname "$0")/env.sh"
if [ -n "$script" ]; then
  [ -x "$fs9/fs9host.exe" ] || { echo "no $fs9/fs9host.exe: build the win64 and win32 presets" >&2; exit 1; }
else
  [ -f "$fs9/soundcheck.exe" ] || { echo "no $fs9/soundcheck.exe: build the win64 preset" >&2; exit 1; }
fi

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
export HOME=$home

if [ -n "$script" ]; then
  actual=$home/actual.out
  timeout 120 "$wine" 'C:\FS9\fs9host.exe' - < "$script" > "$actual"
  if ! diff -u "${script%.scn}.out" "$actual"; then
    echo "under wine${wine32_root:+32}, the output of $(basename "$script") differs (got +, expected -)" >&2
    exit 1
  fi
else
  out=$(timeout 120 "$wine" 'C:\FS9\soundcheck.exe' | tr -d '\r') || true
  expected=$'bank manager 1 listener 1 loaded 12\nwind start 1\nwind stop 1\ndone'
  if [ "$out" != "$expected" ]; then
    echo "soundcheck.exe under wine printed (got +, expected -):" >&2
    diff -u <(echo "$expected") <(echo "$out") >&2 || true
    exit 1
  fi
fi
if [ ! -s "$stream" ]; then
  echo "WINE AUDIO WAS NOT WRITTEN TO $stream: wine found no ALSA output" \
       "(see docs/sound.md, 'Sound under wine')" >&2
  exit 1
fi
"$check" "$stream"
