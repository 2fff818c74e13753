#!/usr/bin/env bash
# The 32-bit leg under emulation, run by orrery_emulate_32 as the first process of a user,
# mount and PID namespace of its own. binfmt_misc, mounted here privately (Linux 6.7 and
# later), hands every i386 program started in the namespace to qemu-i386-static; the
# registration is gone with the mount when the namespace ends, and so is every process
# left in it. Usage: emulated32.sh COMMAND [ARGS...]. Once the 32-bit Wine loader has run
# here, COMMAND (a program, or a function of windows32.sh) runs and its status is the
# leg's; a step that fails before that is named, and the leg falls back to the symbol check.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
source scripts/lib/windows32.sh

binfmt=/proc/sys/fs/binfmt_misc
# i386 ELF executables and PIEs (ET_EXEC, ET_DYN). F: the kernel opens qemu now, so it
# needs no path inside the programs' view of the file system.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# qemu hands this to the emulated programs only; a native program they start (the
# wineserver) finds an empty library of the same name under its own $LIB.
export QEMU_SET_ENV="LD_PRELOAD=$PWD/$orrery_preload_dir/\$LIB/liborrery_qemu_preload.so"

if ! mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
  orrery_emulation_failed "mount a private binfmt_misc (needs Linux 6.7 or later)"
elif ! printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$orrery_qemu_i386" \
  >"$binfmt/register" 2>/dev/null; then
  orrery_emulation_failed "register $orrery_qemu_i386 in the private binfmt_misc"
elif ! output=$(/usr/lib/wine/wine --version 2>&1); then
  orrery_emulation_failed "run the 32-bit Wine loader under qemu-i386-static: $output"
else
  "$@"
  exit
fi
orrery_windows32_symbols
