#!/usr/bin/env bash
# Builds and runs the whole test suite: native (g++), native under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang), the 32-bit Windows DLL and the 64-bit Windows DLL,
# each with its tests under Wine of its width. Each leg is a workflow preset and ends with
# ctest's summary.
#
# Whether this machine runs 32-bit programs is learnt by running one. Where it does not,
# the 32-bit leg runs under qemu-i386-static, registered for i386 programs in a private
# binfmt_misc that ends with the leg (scripts/lib/emulated32.sh); ORRERY_EMULATE_32=1
# takes that route on any machine. Only where the emulation cannot be set up is the
# 32-bit DLL just built and its exports and imports checked (no Wine needed), and a line
# names the step that failed. ORRERY_PROBE_32=FILE makes the probe run FILE instead of
# the 32-bit Wine loader, to try the refusing path on any machine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/windows32.sh

scripts/install-deps.sh all

echo "== formatting"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== 32-bit decision"
bash tests/scripts/windows32_test.sh
probed32=$(orrery_probe_32bit)
[ "$probed32" = runs ] || echo "this kernel cannot run 32-bit programs"
route32=$(orrery_route_32bit "$probed32")
declare -A plan=([native]="all tests, natively" [emulated]="all tests, under qemu-i386-static"
  [symbols]="build and symbol check only")
echo "legs: native, sanitize, windows (${plan[$route32]}), windows64"
# An interrupted Windows leg skips its fixture's stop: stop what it left running.
trap 'for leg in windows windows64; do ctest --preset $leg -R "^wine_server_stop$" &>/dev/null; done' EXIT

for leg in native sanitize; do
  echo "== $leg"
  cmake --workflow --preset "$leg"
done

echo "== windows (32-bit DLL)"
orrery_test_windows32 "$route32"
[ "$route32" != emulated ] || orrery_check_32bit_after "$probed32"

echo "== windows64 (64-bit DLL)"
cmake --workflow --preset windows64
