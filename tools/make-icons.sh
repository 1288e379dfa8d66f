#!/usr/bin/env bash
# Draws the program's icon (a broom over a blue disc) with ImageMagick and writes
# src/app/res/sweepwise.ico in the sizes Windows asks for. Run it again after changing the
# drawing; the icon file is checked in, so a build needs no ImageMagick.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

work=build/icons
mkdir -p "$work"
convert -size 256x256 xc:none \
  -fill '#1f5fae' -stroke '#0f3566' -strokewidth 8 -draw 'circle 128,128 128,10' \
  -stroke '#8a5a2b' -strokewidth 18 -draw 'line 178,40 118,150' \
  -stroke '#5e3b18' -strokewidth 6 -fill '#f2c14e' \
  -draw 'polygon 100,128 150,158 128,226 58,214 40,196' \
  -stroke '#b8862b' -strokewidth 5 -draw 'line 86,160 66,206' -draw 'line 110,170 96,218' -draw 'line 130,168 122,222' \
  "$work/icon-256.png"
images=()
for size in 16 24 32 48 64; do
  convert "$work/icon-256.png" -resize "${size}x${size}" "$work/icon-$size.png"
  images+=("$work/icon-$size.png")
done
convert "${images[@]}" "$work/icon-256.png" -depth 8 src/app/res/sweepwise.ico
identify src/app/res/sweepwise.ico
