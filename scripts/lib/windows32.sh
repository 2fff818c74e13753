# Sourced by the test command: the 32-bit Windows leg's tests. Whether this machine runs
# 32-bit x86 programs differs from machine to machine (a kernel may have its 32-bit
# emulation switched off), and the only sound way to know is to try one.

orrery_no_32bit_line="this kernel cannot run 32-bit programs: the 32-bit DLL was built and its symbols checked, its tests were not run"

# orrery_runs_32bit [PROGRAM]: runs PROGRAM --version (by default $ORRERY_PROBE_32, else the
# 32-bit Wine loader). Returns 0 when it ran, 1 when the kernel refused to execute it
# ("Exec format error"), and 2, with the reason on stderr, for anything else: a missing
# loader or one that fails is a broken install, not a kind of machine.
orrery_runs_32bit() {
  local program=${1:-${ORRERY_PROBE_32:-/usr/lib/wine/wine}} output rc=0
  if [ ! -f "$program" ] || [ ! -x "$program" ]; then
    echo "32-bit probe: $program is missing or not executable" >&2
    return 2
  fi
  output=$("$program" --version 2>&1) || rc=$?
  if [ "$rc" -eq 0 ]; then
    return 0
  fi
  # The shell reports a file the kernel will not execute with status 126 and the
  # kernel's own words.
  if [ "$rc" -eq 126 ] && [[ $output == *"Exec format error"* ]]; then
    return 1
  fi
  echo "32-bit probe: $program --version failed ($rc): $output" >&2
  return 2
}

# orrery_test_windows32 RUNS: the 32-bit leg's tests once its DLL is built, given the
# probe's status RUNS (0 or 1). Where 32-bit programs run, the whole suite under 32-bit
# Wine with its own persistent server; elsewhere only the symbol check, which needs no
# Wine, and the line that says so.
orrery_test_windows32() {
  case $1 in
    0)
      orrery_start_wine_server /usr/lib/wine/wine build/wine-prefix-32 win32 &&
        ctest --preset windows
      ;;
    1)
      ctest --preset windows-symbols && echo "$orrery_no_32bit_line"
      ;;
    *) return 2 ;;
  esac
}
