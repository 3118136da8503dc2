#!/usr/bin/env bash
# Draws the program icon with ImageMagick (Debian's imagemagick package) and
# writes src/ui/win32/Hivesweep.ico (compiled into both programs) with the sizes Windows asks for, 16 to 256 pixels.
# The drawing below is the icon's source: change it here and run this again.
set -euo pipefail
cd "$(dirname "$0")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A blue tile, a white hexagon cell and a sweep across it, drawn at 256 px.
convert -size 256x256 xc:none \
  -fill '#1f4e79' -draw 'roundrectangle 8,8 247,247 44,44' \
  -fill none -stroke white -strokewidth 22 \
  -draw 'polygon 128,40 204,84 204,172 128,216 52,172 52,84' \
  -stroke '#f2b134' -strokewidth 26 -draw 'line 70,190 186,74' \
  "$work/256.png"
for size in 16 20 24 32 40 48 64 128; do
  convert "$work/256.png" -filter Lanczos -resize "${size}x${size}" "$work/$size.png"
done
convert "$work"/16.png "$work"/20.png "$work"/24.png "$work"/32.png "$work"/40.png \
  "$work"/48.png "$work"/64.png "$work"/128.png "$work"/256.png src/ui/win32/Hivesweep.ico
identify src/ui/win32/Hivesweep.ico | awk '{print $3}' | tr '\n' ' '
echo
