#!/usr/bin/env bash
# The test command's 32-bit route, tried for real: the probe against the 32-bit Wine loader
# (whichever way this machine answers), against stand-ins for the other kind of machine (a
# file the kernel refuses, a loader that runs) and against files that are no loader at
# all; the route each answer takes, and what each route runs and prints, with cmake stood
# in for. Then the emulated route: its fallback, a failure after the emulated start that
# must not fall back, and that nothing of it is left once it ends.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
source scripts/lib/windows32.sh
unset ORRERY_EMULATE_32 ORRERY_PROBE_32 # the cases below set them where they need them

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
# No ELF header and a zero byte in its first line: the kernel refuses it and the shell
# does not fall back to reading it as a script.
printf '\0\1\2\3 not a program\n' >"$scratch/garbage"
printf '#!/bin/sh\necho wine-0.0 stand-in\n' >"$scratch/runs"
printf '#!/bin/sh\nexit 3\n' >"$scratch/fails"
printf 'not executable\n' >"$scratch/plain"
printf '#!/bin/sh\necho "cmake $*"\n' >"$scratch/bin/cmake"
chmod +x "$scratch/garbage" "$scratch/runs" "$scratch/fails" "$scratch/bin/cmake"
export PATH=$scratch/bin:$PATH

passed=0 failed=0
check() { # name, got, expected
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    printf 'FAILED %s:\n%s\nexpected:\n%s\n' "$1" "$2" "$3"
  fi
}
# Only the probe's answer is compared, never the words a refusal comes with: they name
# the script line that ran the program.
answer() { orrery_probe_32bit "$1" 2>/dev/null || echo none; }
leg() { orrery_test_windows32 "$1" 2>&1 | paste -sd';' -; } # its lines joined by ";"

loader=/usr/lib/wine/wine
real=$(answer "$loader")
declare -A kind=([runs]="runs 32-bit programs" [refused]="refuses 32-bit programs"
  [none]="has no working 32-bit Wine loader")
stand_in=$scratch/runs
[ "$real" = runs ] && stand_in=$scratch/garbage
echo "this machine ${kind[$real]}; stood in for a machine that" \
  "${kind[$(answer "$stand_in")]}: $(basename "$stand_in")"

# Without the emulator, the refusing kinds of machine take the symbol route.
real_qemu=$orrery_qemu_i386
orrery_qemu_i386=$scratch/no-qemu
declare -A route=([runs]=native [refused]=symbols [none]="")
rows=( # name | program | its answer
  "real 32-bit loader|$loader|$real"
  "loader that runs|$scratch/runs|runs"
  "file the kernel refuses|$scratch/garbage|refused"
  "loader that fails|$scratch/fails|none"
  "file without execute bit|$scratch/plain|none"
  "missing loader|$scratch/none|none"
)
for row in "${rows[@]}"; do
  IFS='|' read -r name program want <<<"$row"
  got=$(answer "$program")
  taken=
  [ "$got" = none ] || taken=$(orrery_route_32bit "$got" 2>/dev/null)
  check "$name" "$got, $taken" "$want, ${route[$want]}"
done
check "ORRERY_PROBE_32 override" "$(ORRERY_PROBE_32=$scratch/garbage answer '')" refused
check "missing emulator named" "$(orrery_route_32bit refused 2>&1 >/dev/null)" \
  "32-bit emulation could not be set up, failed step: $scratch/no-qemu is missing (package qemu-user-static)"
check "native leg" "$(leg native)" "cmake --workflow --preset windows;32-bit leg: all tests ran natively"
symbols="cmake --workflow --preset windows-symbols;32-bit leg: build and symbol check only; the emulation step that failed is named above;the 32-bit DLL was built and its symbols checked, its tests were not run"
check "symbol leg" "$(leg symbols)" "$symbols"

# The emulated route for real, where this machine offers namespaces and the emulator.
orrery_qemu_i386=$real_qemu
# The handlers registered for the whole machine, seen through a private mount (root only).
machine_binfmt() {
  unshare --mount sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
    ls /proc/sys/fs/binfmt_misc' 2>/dev/null
}
binfmt_before=$(ls /proc/sys/fs/binfmt_misc 2>/dev/null)
machine_before=$(machine_binfmt)
if [ ! -x "$orrery_qemu_i386" ]; then
  echo "emulated route not tried: $orrery_qemu_i386 is not installed"
elif ! unshare --user --map-root-user --mount --pid --fork --kill-child true 2>/dev/null; then
  echo "emulated route not tried: no user namespaces here"
else
  check "the switch takes the emulated route" "$(ORRERY_EMULATE_32=1 orrery_route_32bit runs)" emulated
  check "emulated leg" "$(leg emulated)" \
    "cmake --workflow --preset windows;32-bit leg: all tests ran under emulation (qemu-i386-static)"
  # Inside, the loader runs even where the kernel refuses it.
  inside=$(orrery_emulate_32 "$loader" --version)
  check "32-bit program inside" "${inside%%-*}-" "wine-"
  # After the emulated start a failure is the leg's: no fallback. What the command left
  # running (a wineserver, say) ends with it.
  output=$(orrery_emulate_32 bash -c 'sleep 299.5 & exit 5' 2>&1)
  check "failure after the emulated start" "$?, $output, $(pgrep -fc 'sleep 299.5')" "5, , 0"
  # A stand-in emulator that runs nothing: the step is named, and the leg falls back.
  check "emulator that fails" "$(orrery_qemu_i386=$scratch/fails leg emulated)" \
    "32-bit emulation could not be set up, failed step: run the 32-bit Wine loader under qemu-i386-static: ;$symbols"
  # Outside, each program answers as before the emulation: the real loader, and the
  # stand-ins for the other kinds of machine. The check must also catch a change.
  for row in "$loader|$real" "$scratch/runs|runs" "$scratch/garbage|refused"; do
    IFS='|' read -r program before <<<"$row"
    other=runs
    [ "$before" = runs ] && other=refused
    check "$(basename "$program") outside afterwards" \
      "$(orrery_check_32bit_after "$before" "$program" >/dev/null 2>&1; echo $?)$(
        orrery_check_32bit_after "$other" "$program" >/dev/null 2>&1; echo $?)" 01
  done
  check "binfmt_misc outside afterwards" "$(ls /proc/sys/fs/binfmt_misc 2>/dev/null)" "$binfmt_before"
  check "machine-wide handlers afterwards" "$(machine_binfmt)" "$machine_before"
fi

echo "32-bit decision: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
