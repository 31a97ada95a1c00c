#!/bin/sh
# Runs a cross-built Windows program under Wine. Used by CTest as the
# cross-compiling emulator and by the developer scripts.
#
# WINEPREFIX defaults to a prefix inside the build tree so that tests never
# touch the user's own Wine set-up. A display is needed only by programs that
# open windows; ./kestrine starts Xvfb for the Windows test run and exports
# DISPLAY.
set -e
: "${WINEPREFIX:=${KESTRINE_WINEPREFIX:-$HOME/.cache/kestrine/wineprefix}}"
mkdir -p "$WINEPREFIX"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts: nothing here is .NET or HTML.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
exec "$WINE" "$@"
