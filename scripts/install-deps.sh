#!/usr/bin/env bash
# Installs, from Debian's packages, what building and testing Orrery needs. Only what is
# missing is installed, so a prepared machine pays nothing. Usage:
#   scripts/install-deps.sh native   # build and run the module natively
#   scripts/install-deps.sh all      # also the sanitizer leg and both Windows legs with Wine
# qemu-user-static comes along only where the 32-bit leg needs it: where the kernel refuses
# 32-bit programs, or ORRERY_EMULATE_32=1 asks for the emulated route.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/windows32.sh

want=${1:-all}
packages=(cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev valgrind python3)
if [ "$want" = all ]; then
  packages+=(clang clang-format libclang-rt-dev locales wine
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64)
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ "$want" = all ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi

# apt-get update fails when a list cannot be fetched. A network fault may pass: wait it
# out a while. A mirror caught mid-sync ("Mirror sync in progress?") serves one index that
# does not match its release file, for longer than waiting helps (a whole session, seen
# here), while every other list is fetched: install from those at once.
update_package_lists() {
  local try log
  log=$(mktemp)
  for try in 1 2 3 4 5 6; do
    if as_root apt-get update -qq 2>"$log"; then
      rm -f "$log"
      return 0
    fi
    cat "$log" >&2
    echo "apt-get update failed (try $try of 6)" >&2
    if grep -q 'Mirror sync in progress' "$log"; then
      echo "a mirror is mid-sync: installing from the package lists it has" >&2
      rm -f "$log"
      return 0
    fi
    [ "$try" -lt 6 ] && sleep 30
  done
  rm -f "$log"
  echo "apt-get update kept failing; installing from the package lists it has" >&2
}

updated=0
install_missing() {
  local p missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "installing: ${missing[*]}"
  [ "$updated" = 1 ] || update_package_lists
  updated=1
  local install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
  if ! as_root "${install[@]}" "${missing[@]}" >/dev/null; then
    # The 32-bit libraries must match their 64-bit twins version for version. When the
    # security suite's i386 index could not be fetched, its amd64 versions are newer than
    # any i386 one; the release's own versions then fit both.
    local release
    release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "retrying the install with the versions of $release itself"
    as_root "${install[@]}" -t "$release" "${missing[@]}" >/dev/null
  fi
}
install_missing "${packages[@]}"

# The probe needs wine32 installed, so this comes second.
if [ "$want" = all ]; then
  if [ "$(orrery_probe_32bit 2>/dev/null)" = refused ] || [ "${ORRERY_EMULATE_32:-0}" = 1 ]; then
    install_missing qemu-user-static
  fi
fi

# The locale test runs a host in a German locale (comma as decimal point).
if [ "$want" = all ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  as_root locale-gen >/dev/null
fi
