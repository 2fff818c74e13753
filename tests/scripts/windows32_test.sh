#!/usr/bin/env bash
# The test command's 32-bit decision, tried for real: against the 32-bit Wine loader
# (whichever way this machine answers), against stand-ins for the other kind of machine
# (a file the kernel refuses, a loader that runs) and against files that are no loader
# at all. ctest and the Wine server are stood in for, so only the
# decision and what it prints are under test. Then the emulated route: its fallbacks,
# a failure after the emulated start that must not fall back, and that nothing of it is
# left once it ends.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/windows32.sh
unset ORRERY_EMULATE_32 # the cases below set it where they need it

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# No ELF header and a zero byte in its first line: the kernel refuses it and the shell
# does not fall back to reading it as a script.
printf '\0\1\2\3 not a program\n' >"$scratch/garbage"
printf '#!/bin/sh\nexit 3\n' >"$scratch/fails"
printf 'not executable\n' >"$scratch/plain"
chmod +x "$scratch/garbage" "$scratch/fails"

ctest() { echo "ctest $*"; }
orrery_start_wine_server() { echo "wine server $*"; }

# The leg's output, its lines joined by ";".
all="wine server /usr/lib/wine/wine build/wine-prefix-32 win32;ctest --preset windows;32-bit leg: all tests ran natively"
skipped() {
  echo "ctest --preset windows-symbols;32-bit leg: build and symbol check only; emulation failed at: $1;$orrery_no_32bit_line"
}

# Every check runs against the real loader, whichever way this machine answers, and
# against stand-ins for the other answers: a file the kernel refuses and a loader that
# runs. Only outcomes are compared (runs, refused, fails otherwise), never the words a
# refusal comes with: they name the script line that ran the program.
printf '#!/bin/sh\necho wine-0.0 stand-in\n' >"$scratch/runs"
chmod +x "$scratch/runs"
outcome() { # the probe's status that running PROGRAM --version should give
  local output rc=0
  output=$("$1" --version 2>&1) || rc=$?
  if [ "$rc" -eq 0 ]; then echo 0
  elif [ "$rc" -eq 126 ] && [[ $output == *"Exec format error"* ]]; then echo 1
  else echo 2
  fi
}
kind=("runs 32-bit programs" "refuses 32-bit programs" "has no working 32-bit Wine loader")
loader=/usr/lib/wine/wine
loader_status=$(outcome "$loader")
stand_in=$scratch/runs
[ "$loader_status" -eq 0 ] && stand_in=$scratch/garbage
echo "this machine ${kind[$loader_status]}; stood in for a machine that" \
  "${kind[$(outcome "$stand_in")]}: $(basename "$stand_in")"

# Without the emulator, the refusing kinds of machine fall back to the symbol check.
real_qemu=$orrery_qemu_i386
orrery_qemu_i386=$scratch/no-qemu
no_qemu=$(skipped "$orrery_qemu_i386 is missing (package qemu-user-static)")
expect=("$all" "$no_qemu" "")

# name | program | expected probe status | expected output of the leg's test step
cases=(
  "real 32-bit loader|$loader|$loader_status|${expect[$loader_status]}"
  "loader that runs|$scratch/runs|0|$all"
  "file the kernel refuses|$scratch/garbage|1|$no_qemu"
  "loader that fails|$scratch/fails|2|"
  "file without execute bit|$scratch/plain|2|"
  "missing loader|$scratch/none|2|"
)

passed=0 failed=0
for row in "${cases[@]}"; do
  IFS='|' read -r name program want_status want_output <<<"$row"
  status=0
  orrery_runs_32bit "$program" 2>/dev/null || status=$?
  output=
  if [ "$status" -le 1 ]; then
    output=$(orrery_test_windows32 "$(orrery_route_32bit "$status")" | paste -sd';' -)
  fi
  if [ "$status" = "$want_status" ] && [ "$output" = "$want_output" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED %s: status %s, expected %s; output:\n%s\nexpected:\n%s\n' \
      "$name" "$status" "$want_status" "$output" "$want_output"
  fi
done

# The override the test command honours picks the program when none is named.
status=0
ORRERY_PROBE_32=$scratch/garbage orrery_runs_32bit || status=$?
if [ "$status" = 1 ]; then passed=$((passed + 1)); else
  failed=$((failed + 1))
  echo "FAILED ORRERY_PROBE_32 override: status $status, expected 1"
fi

# The emulated route for real, where this machine offers namespaces and the emulator.
check() { # name, got, expected
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    printf 'FAILED %s:\n%s\nexpected:\n%s\n' "$1" "$2" "$3"
  fi
}
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
  stepfile=$scratch/step
  # A stand-in emulator that runs nothing: the step that fails is named.
  orrery_qemu_i386=$scratch/fails
  check "emulator that fails" "$(ORRERY_EMULATE_32=1 orrery_route_32bit 0)" \
    "symbols: run the 32-bit Wine loader under qemu-i386-static: "
  orrery_qemu_i386=$real_qemu
  route=$(ORRERY_EMULATE_32=1 orrery_route_32bit 0)
  check "the switch takes the emulated route" "$route" emulated
  if [ "$route" = emulated ]; then
    # After the emulated start a failure is the leg's: no step, no fallback. What the
    # command left running (a wineserver, say) ends with it.
    status=0
    orrery_emulate_32 "$stepfile" bash -c 'sleep 299.5 & exit 5' || status=$?
    check "failure after the emulated start" \
      "$status, $([ -e "$stepfile" ] && echo step || echo no step), $(pgrep -fc 'sleep 299.5')" \
      "5, no step, 0"
    # Inside, the loader runs even where the kernel refuses it, and the registration
    # lives in the namespace only.
    inside=$(orrery_emulate_32 "$stepfile" /usr/lib/wine/wine --version)
    check "32-bit program inside" "${inside%%-*}-" "wine-"
  fi
  # Outside, each program answers as before the emulation: the real loader, and the
  # stand-ins for the other kinds of machine. The check must also catch a change.
  for program in "$loader" "$scratch/runs" "$scratch/garbage"; do
    status=$(outcome "$program")
    check "$(basename "$program") outside afterwards" \
      "$(orrery_check_32bit_after "$status" "$program" >/dev/null 2>&1; echo $?)" 0
    check "$(basename "$program") changed afterwards" \
      "$(orrery_check_32bit_after $((1 - status)) "$program" >/dev/null 2>&1; echo $?)" 1
  done
  check "binfmt_misc outside afterwards" "$(ls /proc/sys/fs/binfmt_misc 2>/dev/null)" "$binfmt_before"
  check "machine-wide handlers afterwards" "$(machine_binfmt)" "$machine_before"
fi

echo "32-bit decision: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
