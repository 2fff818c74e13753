#!/usr/bin/env bash
# The test command's 32-bit decision, tried for real: against the 32-bit Wine loader
# (whichever way this machine answers) and against files the kernel refuses or that
# are no loader at all. ctest and the Wine server are stood in for, so only the
# decision and what it prints are under test.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/windows32.sh

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
skipped="ctest --preset windows-symbols;$orrery_no_32bit_line"
all="wine server /usr/lib/wine/wine build/wine-prefix-32 win32;ctest --preset windows"

# What the real loader must lead to follows from what running it shows.
loader=/usr/lib/wine/wine
loader_output=$("$loader" --version 2>&1)
case $loader_output in
  wine-*) loader_expect=(0 "$all") ;;
  *"Exec format error"*) loader_expect=(1 "$skipped") ;;
  *) loader_expect=(2 "") ;;
esac
echo "32-bit Wine loader says: $loader_output"

# name | program | expected probe status | expected output of the leg's test step
cases=(
  "real 32-bit loader|$loader|${loader_expect[0]}|${loader_expect[1]}"
  "file the kernel refuses|$scratch/garbage|1|$skipped"
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
    output=$(orrery_test_windows32 "$status" | paste -sd';' -)
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

echo "32-bit decision: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
