#!/bin/sh
# Runs a cross-built Windows program under Wine. Used by CTest as the
# cross-compiling emulator and by the developer scripts.
#
#   wine-run.sh [--prefix=DIR] PROGRAM.exe [ARGS...]
#   wine-run.sh [--prefix=DIR] --start-server   make the prefix, keep its server up
#   wine-run.sh [--prefix=DIR] --stop-server    end that prefix's server and its programs
#
# The prefix is KESTRINE_WINEPREFIX when set, else the one the build passes
# (inside its own build tree, so that tests never touch the user's own Wine
# set-up and two build trees never share a server), else a cache folder.
#
# A fresh prefix is made exactly once: whoever finds it missing takes a lock,
# boots it and waits until Wine has written it out, and only then marks it
# ready. Without that, two programs started at once on a missing prefix (ctest
# -j2 does so) both make it and one of them dies while the other's server is
# still coming up ("wine: chdir to .../server-...: No such file or directory").
#
# A display is needed only by programs that open windows; ./kestrine starts
# Xvfb for the Windows test run and exports DISPLAY.
set -e
prefix=
case "${1:-}" in
  --prefix=*) prefix=${1#--prefix=}; shift ;;
esac
WINEPREFIX=${KESTRINE_WINEPREFIX:-${prefix:-$HOME/.cache/kestrine/wineprefix}}
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts: nothing here is .NET or HTML.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

ready=$WINEPREFIX/.kestrine-ready
if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  # The lock lives beside the prefix, so that removing the prefix also
  # starts its making afresh. fd 9 is closed again before Wine runs: a
  # program that inherited it would hold the lock for as long as it runs.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  tries=0
  while [ ! -f "$ready" ]; do
    # A half-made prefix (a run killed while booting) is made again whole.
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot --init >"$WINEPREFIX.boot.log" 2>&1 || true
    # Wine writes the registry out when its server ends: wait for that, so
    # that the next program finds the prefix complete.
    "$WINESERVER" -w
    # Once in a few dozen boots on a loaded machine, a prefix came out without
    # its system libraries ("could not load kernel32.dll" for every program
    # after): such a prefix is made again.
    if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
      : >"$ready"
      rm -f "$WINEPREFIX.boot.log"
    else
      tries=$((tries + 1))
      if [ "$tries" -ge 3 ]; then
        echo "wine-run.sh: could not make the Wine prefix $WINEPREFIX (see $WINEPREFIX.boot.log)" >&2
        exit 1
      fi
    fi
  done
  exec 9>&-
fi

case "${1:-}" in
  --start-server)
    # Persistent until --stop-server: programs started back to back never meet
    # a server that is just shutting down after the last one ended.
    "$WINESERVER" -p || exit $?
    # The prefix's services (services.exe, winedevice.exe, explorer.exe) start
    # with its first program and then live as long as the server, holding that
    # program's output: started by a test, they would keep ctest waiting for
    # the test's output to end. Start them here, on nobody's output. The
    # server is up either way, so this call succeeds: its caller stops it.
    "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
    exit 0 ;;
  --stop-server)
    "$WINESERVER" -k 2>/dev/null || true
    exec "$WINESERVER" -w ;;
esac
exec "$WINE" "$@"
