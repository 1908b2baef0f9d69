#!/usr/bin/env bash
# Draws the program's icon (res/tvrjoin.ico): two signal traces, blue and orange, joined
# into one at a seam. Run by hand after changing the drawing; the .ico is committed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Points of a trace across the 256-pixel canvas: one sine.
trace() {  # from_x to_x phase
  awk -v a="$1" -v b="$2" -v p="$3" 'BEGIN {
    for (x = a; x <= b; x += 4) {
      y = 128 - 56 * sin((x - 32) / 15.3 + p);
      printf "%d,%d ", x, y
    }
  }'
}

convert -size 256x256 xc:none \
  -fill '#f4f7fb' -stroke '#2b3a55' -strokewidth 10 -draw 'roundrectangle 10,10 246,246 36,36' \
  -stroke '#9aa7bd' -strokewidth 6 -draw 'line 128,34 128,222' \
  -fill none -stroke '#1f63c6' -strokewidth 16 -draw "polyline $(trace 32 128 0)" \
  -stroke '#e3761b' -draw "polyline $(trace 128 224 0)" \
  "$tmp/icon-256.png"
for size in 16 32 48; do
  convert "$tmp/icon-256.png" -resize ${size}x${size} "$tmp/icon-$size.png"
done
convert "$tmp/icon-16.png" "$tmp/icon-32.png" "$tmp/icon-48.png" tvrjoin.ico
echo "wrote res/tvrjoin.ico"
