#!/usr/bin/env bash
# Sets up a private 32-bit wine for the tests of the shipped 32-bit module:
# the i386 packages of wine32 and of the X client libraries wine loads,
# downloaded with an apt configuration of its own (its own state, cache and
# an empty status file, i386 only) and extracted with dpkg -x into
# WINE32_ROOT (default /opt/wine32root). The system's apt state and
# architectures are left untouched: multiarch apt is not used, it breaks
# apt-get update on these machines.
#
# Skips itself at once where this kernel refuses to execute i386 code
# (--force sets up all the same: to check the download and extraction on
# such a machine).
# Idempotent: a root that is complete is only checked. The downloaded
# packages stay in WINE32_CACHE (default /var/cache/skyvane-wine32) for the
# next set-up.
set -euo pipefail
cd "$(dirname "$0")/.."

root=${WINE32_ROOT:-/opt/wine32root}
cache=${WINE32_CACHE:-/var/cache/skyvane-wine32}
stamp=$root/.skyvane-wine32-complete

if [ "${1:-}" != --force ] && ! reason=$(bash tests/i386_probe.sh "$cache/probe"); then
  echo "setup: $reason; the 32-bit wine is not set up"
  exit 0
fi
if [ -f "$stamp" ] && [ -x "$root/usr/lib/wine/wine" ]; then
  exit 0
fi

# The archive the system's apt uses for bookworm, from its own sources.
mirror=$(awk '/^URIs:/ {uri=$2} /^Suites:/ && / bookworm( |$)/ {print uri; exit}' \
           /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
if [ -z "$mirror" ]; then
  mirror=$(awk '$1 == "deb" && $3 == "bookworm" {print $2; exit}' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
             2>/dev/null || true)
fi
[ -n "$mirror" ] || { echo "setup: no bookworm source in the system's apt configuration" >&2; exit 1; }

apt=$cache/apt
mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial" "$apt/parts" "$apt/prefs"
: > "$apt/state/status"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat > "$apt/sources.list" <<EOF
deb [arch=i386 signed-by=$keyring] $mirror bookworm main
deb [arch=i386 signed-by=$keyring] $mirror bookworm-updates main
EOF
cat > "$apt/apt.conf" <<EOF
APT::Architecture "i386";
APT::Architectures { "i386"; };
APT::Install-Recommends "false";
APT::Get::Assume-Yes "true";
Dir::State "$apt/state";
Dir::State::status "$apt/state/status";
Dir::Cache "$apt/cache";
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/parts";
Dir::Etc::PreferencesParts "$apt/prefs";
Debug::NoLocking "true";
EOF
export APT_CONFIG=$apt/apt.conf DEBIAN_FRONTEND=noninteractive

echo "setup: downloading the 32-bit wine into $cache"
apt-get update -qq
# wine32 and what it needs, plus the X, font and TLS libraries that wine
# opens at run time rather than links.
apt-get install -d -qq wine32 libx11-6 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 \
  libxcomposite1 libxfixes3 libxxf86vm1 libfreetype6 libfontconfig1 >/dev/null

echo "setup: extracting into $root"
rm -rf "$root"
mkdir -p "$root"
for deb in "$apt"/cache/archives/*.deb; do dpkg -x "$deb" "$root"; done

# libwine's maintainer script makes i386-windows/zlib1.dll from the MinGW
# zlib of libz-mingw (its DOS header, then the mark of a wine builtin DLL
# over bytes 64 to 95); extraction does not run it, and user32 does not load
# without it.
zlib=$root/usr/i686-w64-mingw32/lib/zlib1.dll
[ -f "$zlib" ] || { echo "setup: no $zlib in the extracted packages" >&2; exit 1; }
out=$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
{
  head -c 64 "$zlib"
  printf '%b' 'Wine builtin DLL' '\0\0\0\0\0\0\0\0' '\0\0\0\0\0\0\0\0'
  tail -c +97 "$zlib"
} > "$out"
[ -x "$root/usr/lib/wine/wine" ] || { echo "setup: no 32-bit wine loader in $root" >&2; exit 1; }
ls "$apt"/cache/archives/*.deb | wc -l > "$stamp"
echo "setup: 32-bit wine ready in $root"
