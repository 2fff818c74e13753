# Sourced by the test command: the 32-bit Windows leg's tests. Whether this machine runs
# 32-bit x86 programs differs from machine to machine (a kernel may have its 32-bit
# emulation switched off), and the only sound way to know is to try one. Where the kernel
# refuses them, the leg runs under qemu-i386-static instead (see emulated32.sh), and only
# where that cannot be set up does it fall back to building the DLL and checking its
# symbols.

orrery_no_32bit_line="the 32-bit DLL was built and its symbols checked, its tests were not run"
orrery_qemu_i386=${ORRERY_QEMU_I386:-/usr/bin/qemu-i386-static}
orrery_preload_dir=build/qemu-i386-preload

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

# orrery_check_32bit_after BEFORE [PROGRAM]: probes again after the emulated leg (PROGRAM
# as for orrery_runs_32bit) and compares its status with BEFORE, the probe's status
# before the leg: nothing of the emulation may outlive it. Returns 1 when it changed.
orrery_check_32bit_after() {
  local before=$1 after=0
  orrery_runs_32bit "${2:-}" || after=$?
  if [ "$after" != "$before" ]; then
    echo "after the emulated 32-bit leg the 32-bit probe answers $after, before it $before" >&2
    return 1
  fi
  if [ "$before" -eq 1 ]; then
    echo "after the 32-bit leg: a 32-bit program outside it still gets \"Exec format error\""
  else
    echo "after the 32-bit leg: 32-bit programs outside it still run as before"
  fi
}

# orrery_build_qemu_preload: builds the preload library of scripts/qemu-i386-preload for
# i386 and, empty, for x86_64, each in the folder ld.so's $LIB names on Debian.
orrery_build_qemu_preload() {
  local arch dir
  for arch in i386 x86_64; do
    dir=$orrery_preload_dir/lib/$arch-linux-gnu
    mkdir -p "$dir" &&
      clang --target="$arch-linux-gnu" -O2 -Wall -Wextra -Werror -ffreestanding -fPIC \
        -shared -nostdlib -o "$dir/liborrery_qemu_preload.so" \
        scripts/qemu-i386-preload/preload.c || return 1
  done
}

# orrery_emulate_32 STEPFILE [COMMAND...]: runs emulated32.sh with COMMAND in a user, mount
# and PID namespace of its own: whatever it starts, its binfmt_misc mount with it, ends
# when it ends. Returns its status; when it failed before a 32-bit program ran, STEPFILE
# (else removed) says which step failed.
orrery_emulate_32() {
  local stepfile=$1 started rc=0
  shift
  started=$(mktemp)
  rm -f "$started" "$stepfile"
  if [ ! -x "$orrery_qemu_i386" ]; then
    echo "$orrery_qemu_i386 is missing (package qemu-user-static)" >"$stepfile"
    return 3
  fi
  if ! orrery_build_qemu_preload >/dev/null 2>&1; then
    echo "clang -m32 could not build the preload library" >"$stepfile"
    return 3
  fi
  if ! unshare --user --map-root-user --mount --pid --fork --kill-child true 2>/dev/null; then
    echo "unshare: no user, mount and PID namespaces for this user" >"$stepfile"
    return 3
  fi
  ORRERY_QEMU_I386=$orrery_qemu_i386 \
    unshare --user --map-root-user --mount --pid --fork --kill-child --mount-proc bash scripts/lib/emulated32.sh "$started" "$stepfile" "$@" || rc=$?
  if [ -e "$started" ]; then
    rm -f "$started" "$stepfile"
  elif [ "$rc" -ne 0 ] && [ ! -s "$stepfile" ]; then
    echo "the namespace ended ($rc) before a 32-bit program ran" >"$stepfile"
  fi
  return "$rc"
}

# orrery_route_32bit RUNS: prints how the 32-bit leg's tests will run, given the probe's
# status RUNS (0 or 1): "native", "emulated", or "symbols: STEP" with the step of the
# emulation that failed. ORRERY_EMULATE_32=1 takes the emulated route where 32-bit
# programs run too (a registered handler is tried before the kernel's own loader).
orrery_route_32bit() {
  local stepfile
  if [ "$1" -eq 0 ] && [ "${ORRERY_EMULATE_32:-0}" != 1 ]; then
    echo native
    return
  fi
  stepfile=$(mktemp)
  if orrery_emulate_32 "$stepfile"; then
    echo emulated
  else
    echo "symbols: $(cat "$stepfile")"
  fi
  rm -f "$stepfile"
}

# orrery_test_windows32 ROUTE: the 32-bit leg's tests once its DLL is built, by ROUTE (as
# orrery_route_32bit prints it). Natively and emulated, the whole suite under 32-bit Wine
# with its own persistent server. Once emulated Wine has run a 32-bit program, the leg's
# result is the suite's; only a failure before that falls back to the symbol check, which
# needs no Wine. The last line says which way the leg ran.
orrery_test_windows32() {
  local route=$1 stepfile rc=0
  case $route in
    native)
      orrery_start_wine_server /usr/lib/wine/wine build/wine-prefix-32 win32 &&
        ctest --preset windows &&
        echo "32-bit leg: all tests ran natively"
      return
      ;;
    emulated)
      stepfile=$(mktemp)
      orrery_emulate_32 "$stepfile" windows-suite || rc=$?
      if [ ! -e "$stepfile" ]; then
        [ "$rc" -eq 0 ] && echo "32-bit leg: all tests ran under emulation (qemu-i386-static)"
        return "$rc"
      fi
      route="symbols: $(cat "$stepfile")"
      rm -f "$stepfile"
      ;;
  esac
  case $route in
    symbols:*)
      ctest --preset windows-symbols &&
        echo "32-bit leg: build and symbol check only; emulation failed at: ${route#symbols: }" &&
        echo "$orrery_no_32bit_line"
      ;;
    *) return 2 ;;
  esac
}
