#!/usr/bin/env bash
# Builds and runs the whole test suite: native (g++), native under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang), the 32-bit Windows DLL and the 64-bit Windows DLL,
# each with its tests under Wine of its width. Each leg ends with ctest's summary.
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
source scripts/lib/wine-servers.sh

scripts/install-deps.sh all

echo "== formatting"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== 32-bit decision"
bash tests/scripts/windows32_test.sh
runs32=0
orrery_runs_32bit || runs32=$?
[ "$runs32" -le 1 ] || exit 1
[ "$runs32" -eq 0 ] || echo "this kernel cannot run 32-bit programs"
route32=$(orrery_route_32bit "$runs32")
case $route32 in
  native) echo "legs: native, sanitize, windows (all tests, natively), windows64" ;;
  emulated) echo "legs: native, sanitize, windows (all tests, under qemu-i386-static), windows64" ;;
  *)
    echo "legs: native, sanitize, windows (build and symbol check only), windows64"
    echo "32-bit emulation could not be set up, failed step: ${route32#symbols: }"
    ;;
esac

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap orrery_stop_wine_servers EXIT

for leg in native sanitize; do
  echo "== $leg"
  cmake --workflow --preset "$leg"
done

echo "== windows (32-bit DLL)"
cmake --preset windows
cmake --build --preset windows
orrery_test_windows32 "$route32"
if [ "$route32" = emulated ]; then
  orrery_check_32bit_after "$runs32"
fi

echo "== windows64 (64-bit DLL)"
cmake --preset windows64
cmake --build --preset windows64
orrery_start_wine_server /usr/lib/wine/wine64 build/wine-prefix-64 win64
ctest --preset windows64
