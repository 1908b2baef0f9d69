#!/usr/bin/env bash
# Runs a Windows program with windows under Wine: on the current X display when
# TVR_USE_DISPLAY=1 and one is set, otherwise on a private virtual one (Xvfb). Its Wine
# prefix is apart from the engine tests', so that their desktops never mix.
#   wine-gui.sh PROGRAM.exe [arguments...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export TVR_WINEPREFIX=${TVR_GUI_WINEPREFIX:-$here/../build/wineprefix-gui}

if [ "${TVR_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  exec "$here/wine-run.sh" "$@"
fi
# The prefix's wineserver is waited for before the display goes, so the next run never
# meets a Wine desktop still bound to a display that no longer exists.
exec xvfb-run -a -s "-screen 0 1024x768x24" \
  bash -c '"$1" "${@:2}"; rc=$?; WINEPREFIX=$TVR_WINEPREFIX wineserver -w; exit $rc' _ \
  "$here/wine-run.sh" "$@"
