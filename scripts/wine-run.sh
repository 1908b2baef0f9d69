#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own 32-bit prefix, making the prefix
# first if it is not there: Russian locale (code page 1251), no window-manager waits.
# Used by ctest as the emulator of the windows build, and by the end-to-end scripts.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${TVR_WINEPREFIX:-$here/../build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes its ANSI code page from the locale; ru_RU.UTF-8 gives Windows-1251.
export LANG=ru_RU.UTF-8
unset LC_ALL

if [ ! -f "$WINEPREFIX/.tvr-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.tvr-ready" ]; then
    rm -rf "$WINEPREFIX"
    DISPLAY= wineboot -i >/dev/null 2>&1
    wineserver -w
    # Without a window manager every closing window would otherwise wait 2 s.
    DISPLAY= wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tvr-ready"
  fi
  flock -u 9
  exec 9>&-
fi

exec wine "$@"
