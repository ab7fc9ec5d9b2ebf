#!/usr/bin/env bash
# Whether this machine executes 32-bit x86 Linux code: builds a tiny -m32
# program once (into DIR) and runs it. Exit 0 when it runs; otherwise
# prints the reason on standard output and exits 1. Some kernels refuse
# i386 binaries ("exec format error"); qemu-user does not run wine usefully,
# so there the 32-bit legs are skipped.
#
#   i386_probe.sh DIR
set -u
dir=$1
mkdir -p "$dir"
probe=$dir/i386-probe
# CTest starts many tests at once that all probe: each builds under its own
# names and renames into place, so none runs a half-written probe ("text file
# busy", "exec format error") and skips tests this machine could run.
if [ ! -x "$probe" ]; then
  printf 'int main(void) { return 42; }\n' > "$dir/i386-probe.$$.c"
  if ! cc -m32 -static -o "$probe.$$" "$dir/i386-probe.$$.c" 2>"$dir/i386-probe.log"; then
    rm -f "$dir/i386-probe.$$.c" "$probe.$$"
    echo "no 32-bit C toolchain (g++-multilib) to probe with"
    exit 1
  fi
  rm -f "$dir/i386-probe.$$.c"
  mv -f "$probe.$$" "$probe"
fi
"$probe" 2>"$dir/i386-probe.$$.run"
rc=$?
if [ "$rc" -ne 42 ]; then
  why=$(tr -d '\n' < "$dir/i386-probe.$$.run")
  why=${why##*: }
  rm -f "$dir/i386-probe.$$.run"
  echo "this kernel refuses to execute i386 code (${why:-exit $rc})"
  exit 1
fi
rm -f "$dir/i386-probe.$$.run"
exit 0
