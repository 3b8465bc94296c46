#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine: the CMAKE_CROSSCOMPILING_EMULATOR of the mingw
# build, and the way to start quillo-sim.exe by hand:
#
#   cmake/wine-run.sh build/mingw/app/quillo-sim.exe [arguments...]
#
# The Wine prefix is private to the build tree: $WINEPREFIX when set, otherwise "wineprefix" in
# the build directory that holds the program (the first parent with a CMakeCache.txt). It is
# created at the first use. Three service forms keep a persistent wineserver for a test run,
# so each test process starts in a fraction of a second:
#
#   WINEPREFIX=... cmake/wine-run.sh --start-server | --init | --stop-server
set -euo pipefail

find_wine() {
  local c
  for c in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    [[ -n "$c" && -x "$c" ]] && { echo "$c"; return; }
  done
  echo "wine-run.sh: Wine not found (install wine64: scripts/setup.sh --windows)" >&2
  exit 127
}

find_wineserver() {
  local c
  for c in /usr/lib/wine/wineserver64 "$(command -v wineserver || true)"; do
    [[ -n "$c" && -x "$c" ]] && { echo "$c"; return; }
  done
  echo "wine-run.sh: wineserver not found" >&2
  exit 127
}

# The build directory that holds a program, for its default prefix.
prefix_for() {
  local d
  d=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || d=$PWD
  while [[ "$d" != "/" && ! -f "$d/CMakeCache.txt" ]]; do d=$(dirname "$d"); done
  if [[ -f "$d/CMakeCache.txt" ]]; then
    echo "$d/wineprefix"
  else
    echo "${XDG_CACHE_HOME:-$HOME/.cache}/quillo-wineprefix"
  fi
}

# Creates the prefix once; parallel first runs wait on a lock instead of racing wineboot.
ensure_prefix() {
  [[ -f "$WINEPREFIX/.quillo-ready" ]] && return 0
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [[ ! -f "$WINEPREFIX/.quillo-ready" ]]; then
      "$WINE" wineboot --init >/dev/null 2>&1 || true
      [[ -f "$WINEPREFIX/system.reg" || -d "$WINEPREFIX/drive_c" ]] || {
        echo "wine-run.sh: could not create the Wine prefix $WINEPREFIX" >&2
        exit 1
      }
      # Xvfb has no window manager: unmanaged windows spare a 2 s wait for one at every hide.
      "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.quillo-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

WINE=$(find_wine)
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask for a download.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

case "${1:-}" in
  --start-server|--stop-server|--init)
    : "${WINEPREFIX:?wine-run.sh $1 needs WINEPREFIX}"
    export WINEPREFIX
    case "$1" in
      --start-server) mkdir -p "$WINEPREFIX"; "$(find_wineserver)" -p ;;
      --init)
        ensure_prefix
        # Bring up the session's services and desktop now, detached from any output: started
        # by the first test instead, they would inherit its stdout and keep CTest waiting.
        "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
        "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
        ;;
      --stop-server)
        "$(find_wineserver)" -k 2>/dev/null || true
        "$(find_wineserver)" -w 2>/dev/null || true  # gone before a new one may start
        ;;
    esac
    exit 0
    ;;
  ""|-h|--help)
    echo "usage: $0 program.exe [arguments...]" >&2
    exit 2
    ;;
esac

export WINEPREFIX="${WINEPREFIX:-$(prefix_for "$1")}"
ensure_prefix
exec "$WINE" "$@"
