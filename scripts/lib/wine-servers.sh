# Sourced by the test command. One persistent wineserver per Wine prefix: a server that
# starts with the first test and stops after each one races the next test's start-up
# ("recvmsg: Connection reset by peer"). Each prefix is set up once before its tests.

orrery_wine_prefixes=()

# orrery_start_wine_server LOADER PREFIX ARCH: starts a persistent server for PREFIX (a
# directory, made if missing; ARCH is win32 or win64) and initialises the prefix with
# LOADER's wineboot. A server still running for this prefix is stopped first.
orrery_start_wine_server() {
  local loader=$1 prefix=$2 arch=$3
  mkdir -p "$prefix"
  prefix=$(cd "$prefix" && pwd)
  local log=$prefix/wineboot.log
  # A new prefix takes its width from the server that creates it, and a 64-bit server
  # makes it 64-bit whatever WINEARCH says: so wineboot creates it first, with a server
  # of its own that ends with it. Output goes to a file, not a pipe: the programs wineboot
  # starts live on with their server and hold its output open.
  if [ ! -f "$prefix/system.reg" ]; then
    WINEPREFIX=$prefix WINEARCH=$arch "$loader" wineboot --init >"$log" 2>&1 ||
      orrery_wineboot_failed "$log" || return 1
    WINEPREFIX=$prefix wineserver -w
  fi
  if ! WINEPREFIX=$prefix wineserver -p 2>/dev/null; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w
    WINEPREFIX=$prefix wineserver -p || return 1
  fi
  orrery_wine_prefixes+=("$prefix")
  # The prefix's services start now under the persistent server, not inside a test.
  WINEPREFIX=$prefix WINEARCH=$arch "$loader" wineboot --init >>"$log" 2>&1 ||
    orrery_wineboot_failed "$log"
}

orrery_wineboot_failed() {
  echo "wineboot --init failed:" >&2
  cat "$1" >&2
  return 1
}

# orrery_stop_wine_servers: stops every server started above, with the programs it runs,
# and waits until each is gone.
orrery_stop_wine_servers() {
  local prefix
  for prefix in "${orrery_wine_prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  done
  orrery_wine_prefixes=()
}
