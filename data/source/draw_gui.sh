#!/bin/bash
# Draws the pictures of the splash and the main menu with `convert` (package
# imagemagick) and writes them into data/Data/Shared/gui/ through the data
# tool. The results are committed, so neither the build nor the game needs
# the package; run this again only to change the pictures.
#
#   data/source/draw_gui.sh [path/to/tavrin-data]
#
#   splash          the title picture: a lighthouse on a cliff at dusk
#   star            the shooting star that crosses the splash now and then
#   menubutton      the menu buttons' face, with the Pressed, Hover and
#                   Deactivated sets the button widget looks for
#   menupanel       the board behind the main menu's buttons and texts
#
# With DRAW_PREVIEW=folder set, each picture is also written as a PNG there.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
gui=$root/data/Data/Shared/gui

[ -x "$tool" ] || { echo "draw_gui: build the data tool first ($tool)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! convert -size 4x4 xc:none -fill red -draw 'circle 2,2 2,3' "$work/probe.tga" 2>/dev/null ||
   [ ! -s "$work/probe.tga" ]; then
  echo "draw_gui: needs convert with drawing (apt-get install imagemagick)" >&2
  exit 1
fi

# store NAME: one drawn picture into the GUI folder (and the preview). It
# goes over as raw RGBA rows from the top: this ImageMagick writes TGA rows
# from the top but marks them as starting at the bottom.
store() {
  mkdir -p "$gui"
  convert "$work/$1.tga" -depth 8 "rgba:$work/$1.rgba"
  "$tool" cbi --raw "$(identify -format '%wx%h' "$work/$1.tga")" "$work/$1.rgba" "$gui/$1.cbi"
  if [ -n "${DRAW_PREVIEW:-}" ]; then
    mkdir -p "$DRAW_PREVIEW"
    convert "$work/$1.tga" "$DRAW_PREVIEW/$1.png"
  fi
}

# ---------------------------------------------------------------- splash --
stars=()
for xy in 120,80 260,150 410,60 530,210 700,110 860,40 980,170 1120,90 1300,60 \
          1450,140 1580,50 1760,120 1860,210 330,260 1020,250 1230,200 640,300; do
  x=${xy%,*} y=${xy#*,}
  stars+=(-draw "circle $x,$y $x,$((y + 3))")
done
convert -size 1920x1080 gradient:'#1b2450'-'#f08a5d' \
  -fill 'rgba(255,255,255,0.85)' -stroke none "${stars[@]}" \
  -fill '#ffd27a' -draw 'circle 1480,700 1480,610' \
  -fill 'rgba(255,210,120,0.25)' -draw 'circle 1480,700 1480,540' \
  -fill '#2b3f6b' -draw "path 'M 0,760 C 300,720 700,770 1100,740 C 1400,720 1700,760 1920,745 L 1920,1080 L 0,1080 Z'" \
  -fill 'rgba(255,210,120,0.5)' \
  -draw 'rectangle 1380,770 1580,778' -draw 'rectangle 1410,800 1550,806' -draw 'rectangle 1440,830 1520,835' \
  -fill '#1f2e52' -draw "path 'M 0,860 C 400,830 900,880 1920,850 L 1920,1080 L 0,1080 Z'" \
  -fill '#3a2f3f' -stroke '#21182a' -strokewidth 4 \
  -draw "path 'M 0,520 C 120,500 260,540 380,560 C 470,575 520,640 560,760 L 600,1080 L 0,1080 Z'" \
  -fill '#4c7a3c' -stroke '#2e4f24' \
  -draw "path 'M 0,520 C 120,500 260,540 380,560 C 430,568 470,590 490,620 C 380,590 200,560 0,575 Z'" \
  -fill '#f3efe6' -stroke '#3b3540' -strokewidth 4 -draw 'polygon 210,540 330,540 305,250 235,250' \
  -fill '#c0392b' -stroke none \
  -draw 'polygon 229,330 311,330 314,370 226,370' -draw 'polygon 222,450 318,450 321,490 219,490' \
  -fill '#2d2a33' -stroke '#1c1a20' -strokewidth 3 -draw 'rectangle 222,230 318,252' \
  -fill '#ffe9a0' -stroke '#2d2a33' -strokewidth 4 -draw 'rectangle 236,170 304,230' \
  -fill '#2d2a33' -stroke none -draw 'polygon 226,172 314,172 270,128' \
  -fill 'rgba(255,236,160,0.35)' -draw 'polygon 304,180 900,90 900,300 304,220' \
  -fill 'rgba(255,236,160,0.25)' -draw 'circle 270,200 270,120' \
  -fill '#ffe9a0' -stroke '#3b3540' -strokewidth 3 -draw 'rectangle 258,400 282,430' \
  -fill '#6b4a2b' -stroke '#3b2616' -draw 'rectangle 250,505 290,540' \
  -fill '#f6e7c8' -stroke '#5a4a3a' -strokewidth 3 \
  -draw "path 'M 1080,880 L 1240,880 L 1210,915 L 1100,915 Z'" \
  -draw 'line 1160,880 1160,800' \
  -fill '#fbf4e4' -draw 'polygon 1164,805 1164,874 1215,874' \
  "$work/splash.tga"
store splash

convert -size 48x48 xc:none -fill 'rgba(255,240,200,0.5)' -draw 'circle 24,24 24,8' -blur 0x4 \
  -fill '#fffbe8' -draw 'polygon 24,2 28,20 46,24 28,28 24,46 20,28 2,24 20,20' "$work/star.tga"
store star

# ------------------------------------------------------------ menu parts --
# button NAME FILL EDGE GLOW: one state of the menu button, 440 x 100.
button() {
  convert -size 440x100 xc:none \
    -fill 'rgba(0,0,0,0.35)' -stroke none -draw 'roundrectangle 6,10 436,98 26,26' \
    -fill "$2" -stroke "$3" -strokewidth 4 -draw 'roundrectangle 4,4 432,90 24,24' \
    -fill none -stroke "$4" -strokewidth 3 -draw 'roundrectangle 14,12 422,80 16,16' \
    -stroke none -fill 'rgba(255,255,255,0.18)' -draw 'roundrectangle 16,14 420,40 12,12' \
    "$work/$1.tga"
  store "$1"
}
button menubutton '#2f5d8a' '#14304f' '#e6c36a'
button menubuttonHover '#3f78ad' '#14304f' '#ffe08a'
button menubuttonPressed '#234a70' '#0c2036' '#c9a44e'
button menubuttonDeactivated '#5d6670' '#353b42' '#8f969e'

convert -size 760x820 xc:none \
  -fill 'rgba(0,0,0,0.4)' -stroke none -draw 'roundrectangle 14,18 756,816 40,40' \
  -fill '#f4ead2' -stroke '#6b4a2b' -strokewidth 8 -draw 'roundrectangle 6,6 746,806 36,36' \
  -fill none -stroke '#c9a44e' -strokewidth 3 -draw 'roundrectangle 26,26 726,786 24,24' \
  -fill '#c9a44e' -stroke none \
  -draw 'polygon 376,44 392,60 376,76 360,60' -draw 'polygon 376,736 392,752 376,768 360,752' \
  "$work/menupanel.tga"
store menupanel

echo "draw_gui: done"
