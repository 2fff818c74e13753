# Sourced by the test command: the 32-bit Windows leg. Whether this machine runs 32-bit x86
# programs differs from machine to machine (a kernel may have its 32-bit emulation switched
# off), and the only sound way to know is to try one. Where the kernel refuses them, the
# leg runs under qemu-i386-static instead (see emulated32.sh), and only where that cannot
# be set up is the DLL just built and its symbols checked.

orrery_qemu_i386=${ORRERY_QEMU_I386:-/usr/bin/qemu-i386-static}
orrery_preload_dir=build/qemu-i386-preload

# orrery_probe_32bit [PROGRAM]: runs PROGRAM --version (by default $ORRERY_PROBE_32, else the
# 32-bit Wine loader) and prints "runs", or "refused" when the kernel would not execute it.
# Fails, with the reason on stderr, for anything else: a missing loader or one that fails
# is a broken install, not a kind of machine.
orrery_probe_32bit() {
  local program=${1:-${ORRERY_PROBE_32:-/usr/lib/wine/wine}} output rc=0
  if [ ! -f "$program" ] || [ ! -x "$program" ]; then
    echo "32-bit probe: $program is missing or not executable" >&2
    return 1
  fi
  output=$("$program" --version 2>&1) || rc=$?
  # The shell reports a file the kernel will not execute with status 126 and the kernel's
  # own words.
  if [ "$rc" -eq 0 ]; then
    echo runs
  elif [ "$rc" -eq 126 ] && [[ $output == *"Exec format error"* ]]; then
    echo refused
  else
    echo "32-bit probe: $program --version failed ($rc): $output" >&2
    return 1
  fi
}

# orrery_route_32bit ANSWER: prints how the 32-bit leg's tests run, given the probe's
# ANSWER: "native"; "emulated" where the kernel refuses 32-bit programs, and anywhere with
# ORRERY_EMULATE_32=1 (a registered handler is tried before the kernel's own loader);
# "symbols" where the emulation lacks a part.
orrery_route_32bit() {
  if [ "$1" = runs ] && [ "${ORRERY_EMULATE_32:-0}" != 1 ]; then
    echo native
  elif orrery_emulation_ready; then
    echo emulated
  else
    echo symbols
  fi
}

# orrery_emulation_ready: whether the parts of the emulated route are here (the emulator,
# its preload library, namespaces for this user); names the one missing on stderr.
orrery_emulation_ready() {
  if [ ! -x "$orrery_qemu_i386" ]; then
    orrery_emulation_failed "$orrery_qemu_i386 is missing (package qemu-user-static)"
  elif ! orrery_build_qemu_preload >/dev/null 2>&1; then
    orrery_emulation_failed "clang -m32 could not build the preload library"
  elif ! unshare --user --map-root-user --mount --pid --fork --kill-child true 2>/dev/null; then
    orrery_emulation_failed "unshare: no user, mount and PID namespaces for this user"
  fi
}

orrery_emulation_failed() {
  echo "32-bit emulation could not be set up, failed step: $1" >&2
  return 1
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

# orrery_emulate_32 COMMAND...: runs emulated32.sh with COMMAND in a user, mount and PID
# namespace of its own: whatever it starts, its binfmt_misc mount with it, ends when it
# ends. Fails when the leg it ran failed.
orrery_emulate_32() {
  ORRERY_QEMU_I386=$orrery_qemu_i386 unshare --user --map-root-user --mount --pid --fork \
    --kill-child --mount-proc bash scripts/lib/emulated32.sh "$@"
}

# orrery_test_windows32 ROUTE: the 32-bit leg (its build and tests) by ROUTE as
# orrery_route_32bit prints it. The last line says which way the leg ran.
orrery_test_windows32() {
  case $1 in
    native) orrery_windows32_suite natively ;;
    emulated) orrery_emulate_32 orrery_windows32_suite "under emulation (qemu-i386-static)" ;;
    symbols) orrery_windows32_symbols ;;
  esac
}

orrery_windows32_suite() {
  cmake --workflow --preset windows && echo "32-bit leg: all tests ran $1"
}

orrery_windows32_symbols() {
  cmake --workflow --preset windows-symbols &&
    echo "32-bit leg: build and symbol check only; the emulation step that failed is named above" &&
    echo "the 32-bit DLL was built and its symbols checked, its tests were not run"
}

# orrery_check_32bit_after BEFORE [PROGRAM]: probes again after the emulated leg (PROGRAM as
# for orrery_probe_32bit), and fails when the answer is not BEFORE, the probe's answer
# before the leg: nothing of the emulation may outlive it.
orrery_check_32bit_after() {
  local after
  after=$(orrery_probe_32bit "${2:-}" 2>&1) || true
  if [ "$after" != "$1" ]; then
    echo "after the emulated 32-bit leg the 32-bit probe answers \"$after\", before it $1" >&2
    return 1
  fi
  if [ "$1" = refused ]; then
    echo "after the 32-bit leg: a 32-bit program outside it still gets \"Exec format error\""
  else
    echo "after the 32-bit leg: 32-bit programs outside it still run as before"
  fi
}
