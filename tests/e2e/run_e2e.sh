#!/usr/bin/env bash
# Runs the end-to-end tests under a private X display (Xvfb) and a Wine prefix of their
# own, then turns the progress window's screenshot into a PNG.
#   run_e2e.sh TESTS_EXE TVRJOIN_EXE ARTIFACT_DIR [gtest arguments...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tests_exe=$1 tvrjoin_exe=$2 artifacts=$3
shift 3
mkdir -p "$artifacts"
rm -f "$artifacts/progress.bmp" "$artifacts/progress.png"

export TVRJOIN_EXE=$tvrjoin_exe TVR_E2E_ARTIFACTS=$artifacts
# Windows, unlike the engine tests, need a display; a prefix of their own keeps their
# Wine desktop apart from the engine tests that may run at the same time.
export TVR_WINEPREFIX=${TVR_GUI_WINEPREFIX:-$here/../../build/wineprefix-gui}
xvfb-run -a -s "-screen 0 1024x768x24" \
  bash -c '"$1" "${@:2}"; rc=$?; WINEPREFIX=$TVR_WINEPREFIX wineserver -w; exit $rc' _ \
  "$here/../../scripts/wine-run.sh" "$tests_exe" "$@"

if [ -f "$artifacts/progress.bmp" ]; then
  convert "$artifacts/progress.bmp" "$artifacts/progress.png"
  rm -f "$artifacts/progress.bmp"
  echo "screenshot: $artifacts/progress.png"
fi
