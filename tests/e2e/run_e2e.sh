#!/usr/bin/env bash
# Runs the end-to-end tests on a private X display with a Wine prefix of their own
# (scripts/wine-gui.sh), then turns the progress window's screenshot into a PNG.
#   run_e2e.sh TESTS_EXE TVRJOIN_EXE ARTIFACT_DIR [gtest arguments...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tests_exe=$1 tvrjoin_exe=$2 artifacts=$3
shift 3
mkdir -p "$artifacts"
rm -f "$artifacts/progress.bmp" "$artifacts/progress.png"

export TVRJOIN_EXE=$tvrjoin_exe TVR_E2E_ARTIFACTS=$artifacts
bash "$here/../../scripts/wine-gui.sh" "$tests_exe" "$@"

if [ -f "$artifacts/progress.bmp" ]; then
  convert "$artifacts/progress.bmp" "$artifacts/progress.png"
  rm -f "$artifacts/progress.bmp"
  echo "screenshot: $artifacts/progress.png"
fi
