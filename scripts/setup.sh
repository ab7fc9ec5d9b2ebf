#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (run as
# root). Idempotent: when everything is there it only checks and returns.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
want_cmd() { have_cmd "$1" || need+=("$2"); }
want_file() { [ -e "$1" ] || need+=("$2"); }

want_cmd cmake cmake
want_cmd ninja ninja-build
want_cmd g++ g++
want_cmd i686-w64-mingw32-g++ g++-mingw-w64-i686
want_cmd x86_64-w64-mingw32-g++ g++-mingw-w64-x86-64
want_file /usr/include/gtest/gtest.h libgtest-dev
want_file /usr/include/benchmark/benchmark.h libbenchmark-dev
# The fuzz preset: clang with libFuzzer (its runtime is a separate package).
want_cmd clang++ clang
compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null || need+=(libclang-rt-14-dev)
# End-to-end tests: the 64-bit module under wine64 on a virtual X display.
want_file /usr/lib/wine/wine64 wine64
want_cmd Xvfb xvfb
# The 32-bit legs: gcc -m32 with its sanitizers (native32 preset, the i386
# probe) and /lib/ld-linux.so.2, which the private 32-bit wine runs on.
want_file /usr/lib/gcc/x86_64-linux-gnu/12/32/libstdc++.so g++-multilib
want_file /usr/lib32/libasan.so.8 lib32asan8
want_file /usr/lib32/libubsan.so.1 lib32ubsan1

if [ ${#need[@]} -eq 0 ]; then
  # The private 32-bit wine for the shipped module's tests; it returns at
  # once where it is ready or where this kernel refuses i386 code.
  exec bash "$(dirname "$0")/setup-wine32.sh"
fi

echo "setup: installing ${need[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${need[*]}); run this script as root" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
exec bash "$(dirname "$0")/setup-wine32.sh"
