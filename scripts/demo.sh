#!/usr/bin/env bash
# The main job: builds tvrjoin.exe and joins a demo set of recordings with it under Wine.
# With a display the real dialog opens in the demo folder for you to choose from; without
# one the program runs on a virtual display, driven by the test driver, and the joined
# file, the Trace and a screenshot of the progress window are left in the demo folder.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

bash scripts/setup.sh
jobs=$(nproc)
echo "== building the Windows program"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target tvrjoin tvrdrive >/dev/null
# The recordings are written by the Linux build of the generator (no Wine needed).
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$jobs" --target tvrgen >/dev/null

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo"
# Eight channels at 1 kHz. Named against their time order: the afternoon recording
# (session_b) is the earliest, so it is the base of the output.
gen=$root/build/native-release/tests/tvrgen
"$gen" "$demo/session_a.tvr" 8 1000 150000 1 2024-05-14T15:30:00
"$gen" "$demo/session_b.tvr" 8 1000 300000 2 2024-05-14T09:00:00
"$gen" "$demo/session_c.tvr" 8 1000 200000 3 2024-05-14T17:45:00
echo "== demo recordings in $demo:"
ls -l "$demo"

exe=$root/build/windows/app/tvrjoin.exe
if [ -n "${DISPLAY:-}" ]; then
  echo "== tvrjoin.exe is open: choose two or more recordings (Ctrl+A selects all)"
  (cd "$demo" && TVR_USE_DISPLAY=1 bash "$root/scripts/wine-gui.sh" "$exe")
else
  echo "== no display: tvrjoin.exe runs on a virtual one, driven by the test driver"
  (cd "$demo" && bash "$root/scripts/wine-gui.sh" "$root/build/windows/tests/e2e/tvrdrive.exe" \
    "$exe" "$demo" "$demo/progress.bmp")
  convert "$demo/progress.bmp" "$demo/progress.png" && rm -f "$demo/progress.bmp"
fi

echo "== results"
joined=$(ls "$demo"/Collected* 2>/dev/null || true)
if [ -n "$joined" ]; then
  echo "joined file: $joined ($(stat -c %s "$joined") bytes)"
else
  echo "joined file: none (the run ended before joining; see the Trace)"
fi
echo "trace log:   $demo/Trace"
if [ -f "$demo/progress.png" ]; then echo "screenshot:  $demo/progress.png"; fi
