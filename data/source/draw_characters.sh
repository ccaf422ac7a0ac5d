#!/bin/bash
# Draws the speakers' pose pictures of the sample cutscenes and the chat
# bubble's pieces with `convert` (package imagemagick) and writes them into
# data/Data/Shared/Characters/ and data/Data/Shared/gui/ through the data
# tool. The results are committed, so neither the build nor the game needs
# the package; run this again only to change the pictures.
#
#   data/source/draw_characters.sh [path/to/tavrin-data]
#
# A pose is a figure seen from the chest up, standing on the picture's bottom
# edge: a coat with lapels and buttons, a head with hair, brows, eyes, a nose
# and a mouth. Its name is the character and the mood: tobin_calm,
# tobin_glad, maren_calm, maren_worried.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
out=$root/data/Data/Shared/Characters
gui=$root/data/Data/Shared/gui

. "$here/to_cbi.sh"
begin_drawing draw_characters

mkdir -p "$out" "$gui"

ink='#2b2420'

# curve X,Y...: an open line through the points as round-capped segments;
# this ImageMagick closes and fills a polyline or path even without a fill.
curve() {
  local mvg='stroke-linecap round' from=$1 to
  shift
  for to in "$@"; do mvg+=" line ${from} ${to}"; from=$to; done
  echo "$mvg"
}

# ---------------------------------------------------------------- poses --
# pose NAME COAT SHADE HAIR SKIN HAIRSTYLE MOOD: one figure on a 360 x 560
# canvas. HAIRSTYLE short | long; MOOD calm | glad | worried.
pose() {
  local name=$1 coat=$2 shade=$3 hair=$4 skin=$5 style=$6 mood=$7
  local draw=(-stroke "$ink" -strokewidth 4)
  # Long hair falls behind the shoulders, so it comes first.
  [ "$style" = long ] && draw+=(-fill "$hair" -draw 'roundrectangle 78,110 282,430 80,80')
  # The coat runs past the bottom edge; its right side lies in shade.
  draw+=(-fill "$coat" -draw 'roundrectangle 30,340 330,620 70,70')
  draw+=(-stroke none -fill "$shade" -draw 'roundrectangle 240,352 326,620 50,50' -stroke "$ink")
  draw+=(-fill "$skin" -draw 'rectangle 152,282 208,350')
  draw+=(-fill "$shade" -draw 'polygon 130,338 180,430 120,400 100,350' -draw 'polygon 230,338 180,430 240,400 260,350')
  draw+=(-fill '#f4efe4' -draw 'polygon 150,336 180,396 210,336 180,352')
  draw+=(-fill '#d9a441' -strokewidth 3 -draw 'circle 180,460 180,469' -draw 'circle 180,515 180,524' -strokewidth 4)
  # Ears, the face, the hair on top.
  draw+=(-fill "$skin" -draw 'ellipse 96,208 16,24 0,360' -draw 'ellipse 264,208 16,24 0,360')
  draw+=(-draw 'ellipse 180,200 85,105 0,360')
  if [ "$style" = long ]; then
    draw+=(-fill "$hair" -draw 'ellipse 180,132 94,56 180,360')
  else
    draw+=(-fill "$hair" -draw 'ellipse 180,126 90,50 180,360' -draw 'polygon 110,120 250,120 236,150 170,138 124,156')
  fi
  # Brows (raised inwards when worried), eyes with their whites, a nose,
  # cheeks.
  draw+=(-fill none)
  if [ "$mood" = worried ]; then
    draw+=(-draw "$(curve 128,170 166,158)" -draw "$(curve 194,158 232,170)")
  else
    draw+=(-draw "$(curve 128,168 166,164)" -draw "$(curve 194,164 232,168)")
  fi
  draw+=(-fill white -strokewidth 3 -draw 'ellipse 148,195 16,12 0,360' -draw 'ellipse 212,195 16,12 0,360')
  draw+=(-fill "$ink" -stroke none -draw 'circle 150,196 150,204' -draw 'circle 210,196 210,204')
  draw+=(-fill white -draw 'circle 153,192 153,194.5' -draw 'circle 213,192 213,194.5')
  draw+=(-fill 'rgba(220,110,100,0.35)' -draw 'ellipse 124,240 16,10 0,360' -draw 'ellipse 236,240 16,10 0,360')
  draw+=(-stroke "$ink" -fill none -draw "$(curve 180,205 172,234 184,236)")
  # The mouth.
  draw+=(-strokewidth 5)
  case $mood in
    glad) draw+=(-fill '#8a2a2a' -strokewidth 4 -draw 'path "M 146,250 Q 180,292 214,250 Z"') ;;
    worried) draw+=(-draw "$(curve 154,278 166,270 180,267 194,270 206,278)") ;;
    *) draw+=(-draw "$(curve 154,258 166,264 180,266 194,264 206,258)") ;;
  esac
  convert -size 360x560 xc:none "${draw[@]}" "$work/$name.png"
  to_cbi "$work/$name.png" "$out/$name.cbi"
}

pose tobin_calm '#3f6e8c' '#335a73' '#6b4a2e' '#f0c9a0' short calm
pose tobin_glad '#3f6e8c' '#335a73' '#6b4a2e' '#f0c9a0' short glad
pose maren_calm '#8c3f5a' '#733249' '#c48a3a' '#e8bb94' long calm
pose maren_worried '#8c3f5a' '#733249' '#c48a3a' '#e8bb94' long worried

# ------------------------------------------------------------- bubbles --
# The chat bubble: a rounded, outlined paper card with a soft shadow below
# and to the right, cut into the nine frames of a stretchable GUI picture
# (corners as drawn, edges along their length, the middle both ways), and a
# tail to either side whose top rows overlap the card's bottom edge.
#
#   gui/bubble_F00.cbi ... bubble_F08.cbi  48 x 48 each, rows from the top
#   gui/bubble_tail_left.cbi, bubble_tail_right.cbi  84 x 92
#
# The shadow lies in the right and bottom frames, so the middle stays one
# flat colour.
paper='#fffaf0'
piece=48
convert -size 144x144 xc:none \
  -fill 'rgba(40,28,20,0.35)' -draw 'roundrectangle 12,14 141,141 34,34' -blur 0x3 \
  -fill "$paper" -stroke "$ink" -strokewidth 5 -draw 'roundrectangle 4,4 133,133 34,34' \
  -stroke none -fill 'rgba(255,255,255,0.8)' -draw 'roundrectangle 14,10 123,16 3,3' \
  "$work/bubble.png"
for i in 0 1 2 3 4 5 6 7 8; do
  convert "$work/bubble.png" -crop "${piece}x${piece}+$((i % 3 * piece))+$((i / 3 * piece))" +repage \
    "$work/bubble_F0$i.png"
  to_cbi "$work/bubble_F0$i.png" "$gui/bubble_F0$i.cbi"
done
# The tail's top rows are paper over the card's bottom outline.
convert -size 84x92 xc:none \
  -fill 'rgba(40,28,20,0.35)' -draw 'polygon 18,0 76,0 12,88' -blur 0x3 \
  -fill "$paper" -stroke "$ink" -strokewidth 5 -draw 'polygon 18,-10 70,-10 6,84' \
  -stroke none -draw 'polygon 21,0 60,0 55,8 19,8' \
  "$work/bubble_tail_left.png"
convert "$work/bubble_tail_left.png" -flop "$work/bubble_tail_right.png"
for side in left right; do to_cbi "$work/bubble_tail_$side.png" "$gui/bubble_tail_$side.cbi"; done
