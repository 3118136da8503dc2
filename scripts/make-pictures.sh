#!/usr/bin/env bash
# Draws the main window's pictures with ImageMagick (Debian's imagemagick
# package) and writes them to src/ui/win32/pictures/, where
# src/ui/win32/Pictures.rc compiles them into the GUI program:
#   tree-states-N.png  the section tree's state images (none, unchecked, checked)
#   tree-nodes-N.png   its node images (the root, a section, an item below a section)
#                      both at N = 16, 24 and 32 pixels (100, 150 and 200 % scale)
#   banner.jpg         the title band, 100 px high (200 %); the program scales it down
#   about.jpg          the About box's picture, 128 px square (200 %)
# and installer/wizard.bmp, the side picture of the installer's finish page
# (164 x 314, the size the installer's pages are laid out for).
# The drawing commands below are the pictures' source: change them here and run
# this again (its output is the same on every run: no dates are written).
# Colours follow the icon (scripts/make-icon.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
out=src/ui/win32/pictures
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

blue='#1f4e79'
light='#2b6599'
amber='#f2b134'
grey_blue='#4a6f94'
k=8  # the tree images are drawn 8 times larger and reduced by averaging

# The corners of a hexagon with a corner at the top: hexagon CX CY R
hexagon() {
  awk -v cx="$1" -v cy="$2" -v r="$3" 'BEGIN {
    for (i = 0; i < 6; i++) {
      a = (90 + 60 * i) * 3.14159265358979 / 180
      printf "%.1f,%.1f ", cx + r * cos(a), cy - r * sin(a)
    }
  }'
}

# Multiplies its arguments: scaled FACTOR VALUE -> integer
scaled() { awk -v f="$1" -v v="$2" 'BEGIN { printf "%d", f * v + 0.5 }'; }

# One tree image of N pixels from draw commands given in a grid of N*k.
tree_image() {  # tree_image N FILE DRAW-ARGS...
  local n=$1 file=$2
  shift 2
  convert -size "$((n * k))x$((n * k))" xc:none "$@" -scale "${n}x${n}" "PNG32:$file"
}

check_box() {  # check_box N FILE checked|unchecked
  local n=$1 file=$2 kind=$3 s=$(($1 * k))
  local inset=$((n / 8 * k)) border
  border=$(( (n + 8) / 16 * k ))
  local lo=$inset hi=$((s - inset - 1)) radius=$((k * n / 16 * 2))
  local fill=white edge=$grey_blue
  [ "$kind" = checked ] && fill=$blue edge=$blue
  local draw=(-fill "$edge" -draw "roundrectangle $lo,$lo $hi,$hi $radius,$radius"
    -fill "$fill" -draw "roundrectangle $((lo + border)),$((lo + border)) $((hi - border)),$((hi - border)) $((radius / 2)),$((radius / 2))")
  if [ "$kind" = checked ]; then
    local side=$((hi - lo))
    draw+=(-fill none -stroke white -strokewidth "$(scaled "$side" 0.15)"
      -draw "stroke-linecap round stroke-linejoin round polyline $((lo + side * 22 / 100)),$((lo + side * 52 / 100)) $((lo + side * 42 / 100)),$((lo + side * 72 / 100)) $((lo + side * 78 / 100)),$((lo + side * 30 / 100))")
  fi
  tree_image "$n" "$file" "${draw[@]}"
}

computer() {  # the root: a screen on a stand
  local n=$1 file=$2 s=$(($1 * k)) border
  border=$(( (n + 8) / 16 * k ))
  tree_image "$n" "$file" \
    -fill "$blue" -draw "roundrectangle $((s * 6 / 100)),$((s * 12 / 100)) $((s * 94 / 100)),$((s * 70 / 100)) $k,$k" \
    -fill '#9cc3e6' -draw "rectangle $((s * 6 / 100 + border)),$((s * 12 / 100 + border)) $((s * 94 / 100 - border)),$((s * 70 / 100 - border))" \
    -fill "$amber" -draw "polygon $(hexagon $((s / 2)) $((s * 41 / 100)) $((s * 16 / 100)))" \
    -fill "$blue" -draw "rectangle $((s * 42 / 100)),$((s * 70 / 100)) $((s * 58 / 100)),$((s * 82 / 100))" \
    -draw "roundrectangle $((s * 24 / 100)),$((s * 82 / 100)) $((s * 76 / 100)),$((s * 92 / 100)) $k,$k"
}

section() {  # a section: the icon's cell, filled
  local n=$1 file=$2 s=$(($1 * k))
  tree_image "$n" "$file" \
    -fill "$blue" -draw "polygon $(hexagon $((s / 2)) $((s / 2)) $((s * 47 / 100)))" \
    -fill "$amber" -draw "polygon $(hexagon $((s / 2)) $((s / 2)) $((s * 20 / 100)))"
}

item() {  # an item below a section: a smaller, lighter cell
  local n=$1 file=$2 s=$(($1 * k))
  tree_image "$n" "$file" \
    -fill "$light" -draw "polygon $(hexagon $((s / 2)) $((s / 2)) $((s * 32 / 100)))" \
    -fill white -draw "polygon $(hexagon $((s / 2)) $((s / 2)) $((s * 11 / 100)))"
}

for n in 16 24 32; do
  convert -size "${n}x${n}" xc:none "PNG32:$work/none.png"
  check_box "$n" "$work/unchecked.png" unchecked
  check_box "$n" "$work/checked.png" checked
  convert "$work"/none.png "$work"/unchecked.png "$work"/checked.png +append +repage \
    -strip "PNG32:$out/tree-states-$n.png"
  computer "$n" "$work/computer.png"
  section "$n" "$work/section.png"
  item "$n" "$work/item.png"
  convert "$work"/computer.png "$work"/section.png "$work"/item.png +append +repage \
    -strip "PNG32:$out/tree-nodes-$n.png"
done

# A faint honeycomb of W x H pixels, cells of radius R: honeycomb W H R FILE
honeycomb() {
  local w=$1 h=$2 r=$3 file=$4
  local cells
  cells=$(awk -v w="$w" -v h="$h" -v r="$r" 'BEGIN {
    dx = r * sqrt(3); dy = r * 1.5
    for (row = -1; row * dy < h + r; row++)
      for (col = -1; col * dx < w + r; col++) {
        cx = col * dx + (row % 2 ? dx / 2 : 0); cy = row * dy
        printf "polygon"
        for (i = 0; i < 6; i++) {
          a = (90 + 60 * i) * 3.14159265358979 / 180
          printf " %.1f,%.1f", cx + r * cos(a), cy - r * sin(a)
        }
        printf "\n"
      }
  }')
  convert -size "${w}x${h}" xc:none -fill none -stroke white -strokewidth 2 \
    -draw "$cells" "$file"
}

# The banner: the band's blue in a soft vertical gradient, a honeycomb that
# rises behind the middle and fades before either end (the labels stay on
# calm ground; the last column carries on past the picture's end), and an
# amber rule along the bottom.
honeycomb 1400 100 22 "$work/cells.png"
convert "$work/cells.png" -channel A \
  -fx 'pos = i / w; ramp = pos < 0.30 ? 0 : (pos < 0.62 ? (pos - 0.30) / 0.32 : (pos < 0.86 ? 1 : max(0, (0.96 - pos) / 0.10))); u * ramp * 0.22' \
  +channel "$work/cells-faded.png"
convert -size 1400x100 gradient:"$light-$blue" "$work/cells-faded.png" -composite \
  -fill "$amber" -draw 'rectangle 0,96 1399,99' -quality 92 -sampling-factor 1x1 -strip \
  "$out/banner.jpg"

# The About picture: the icon's cell and sweep on the banner's ground.
honeycomb 256 256 30 "$work/about-cells.png"
convert -size 256x256 gradient:"$light-$blue" \
  \( "$work/about-cells.png" -channel A -fx 'u * 0.12' +channel \) -composite \
  -fill none -stroke white -strokewidth 22 \
  -draw 'polygon 128,40 204,84 204,172 128,216 52,172 52,84' \
  -stroke "$amber" -strokewidth 26 -draw 'line 70,190 186,74' \
  -filter Lanczos -resize 128x128 -quality 92 -sampling-factor 1x1 -strip "$out/about.jpg"

# The installer's side picture: the banner's ground standing up, the icon's
# cell and sweep near the top. Plain 24-bit BMP, the one form the installer reads.
honeycomb 164 314 20 "$work/wizard-cells.png"
convert -size 164x314 gradient:"$light-$blue" \
  \( "$work/wizard-cells.png" -channel A -fx 'u * 0.16 * (1 - j / h)' +channel \) -composite \
  \( -size 256x256 xc:none -fill none -stroke white -strokewidth 22 \
  -draw 'polygon 128,40 204,84 204,172 128,216 52,172 52,84' \
  -stroke "$amber" -strokewidth 26 -draw 'line 70,190 186,74' -filter Lanczos -resize 96x96 \) \
  -geometry +34+40 -composite -fill "$amber" -draw 'rectangle 160,0 163,313' \
  -alpha off -type TrueColor -strip BMP3:installer/wizard.bmp

identify "$out"/* installer/wizard.bmp | awk '{print $1, $3}'
