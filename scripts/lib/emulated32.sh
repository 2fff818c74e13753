#!/usr/bin/env bash
# The 32-bit leg under emulation, run by orrery_emulate_32 as the first process of a user,
# mount and PID namespace of its own. binfmt_misc, mounted here privately (Linux 6.7 and
# later), hands every i386 program started in the namespace to qemu-i386-static; the
# registration is gone with the mount when the namespace ends, and so is every process
# left in it. Usage: emulated32.sh STARTED STEPFILE [windows-suite | COMMAND ARGS...].
# Once the 32-bit Wine loader has run, STARTED is created and the command runs with
# "windows-suite" for the whole windows test preset; its status is the leg's own. A step
# that fails before that goes into STEPFILE, with status 3.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 3
source scripts/lib/windows32.sh
source scripts/lib/wine-servers.sh
started=$1 stepfile=$2
shift 2

setup_failed() {
  echo "$1" >"$stepfile"
  exit 3
}

binfmt=/proc/sys/fs/binfmt_misc
mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
  setup_failed "mount a private binfmt_misc (needs Linux 6.7 or later)"
# i386 ELF executables and PIEs (ET_EXEC, ET_DYN). F: the kernel opens qemu now, so it
# needs no path inside the programs' view of the file system.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$orrery_qemu_i386" >"$binfmt/register" 2>/dev/null ||
  setup_failed "register $orrery_qemu_i386 in the private binfmt_misc"

# qemu hands this to the emulated programs only; a native program they start (the
# wineserver) finds an empty library of the same name under its own $LIB.
export QEMU_SET_ENV="LD_PRELOAD=$PWD/$orrery_preload_dir/\$LIB/liborrery_qemu_preload.so"
if ! output=$(/usr/lib/wine/wine --version 2>&1); then
  setup_failed "run the 32-bit Wine loader under qemu-i386-static: $output"
fi
: >"$started"
[ $# -gt 0 ] || exit 0
if [ "$1" != windows-suite ]; then
  "$@"
  exit
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap orrery_stop_wine_servers EXIT
orrery_start_wine_server /usr/lib/wine/wine build/wine-prefix-32 win32 && ctest --preset windows
