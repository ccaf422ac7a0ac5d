#!/bin/bash
# Draws the speakers' pose pictures of the sample cutscenes with `convert`
# (package imagemagick) and writes them into data/Data/Shared/Characters/
# through the data tool. The results are committed, so neither the build nor
# the game needs the package; run this again only to change the pictures.
#
#   data/source/draw_characters.sh [path/to/tavrin-data]
#
# A pose is a simple figure seen from the waist up, standing on the picture's
# bottom edge: a coat, a head, hair, eyes and a mouth. Its name is the
# character and the mood: tobin_calm, tobin_glad, maren_calm, maren_worried.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
out=$root/data/Data/Shared/Characters

[ -x "$tool" ] || { echo "draw_characters: build the data tool first ($tool)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# pose NAME COAT HAIR SKIN HAIRSTYLE MOUTH: one figure on a 360 x 560 canvas.
#   HAIRSTYLE short | long; MOUTH calm | glad | worried.
pose() {
  local name=$1 coat=$2 hair=$3 skin=$4 style=$5 mouth=$6
  local draw=(-stroke '#2b2420' -strokewidth 4)
  # The coat: shoulders and body down to the bottom edge.
  draw+=(-fill "$coat" -draw 'roundrectangle 40,330 320,600 60,60')
  draw+=(-fill "$skin" -draw 'rectangle 155,280 205,340')
  if [ "$style" = long ]; then
    draw+=(-fill "$hair" -draw 'roundrectangle 80,120 280,400 70,70')
  fi
  draw+=(-fill "$skin" -draw 'ellipse 180,200 85,105 0,360')
  if [ "$style" = long ]; then
    draw+=(-fill "$hair" -draw 'ellipse 180,130 92,50 180,360')
  else
    draw+=(-fill "$hair" -draw 'ellipse 180,125 88,45 180,360')
  fi
  # Eyes.
  draw+=(-fill '#2b2420' -draw 'circle 150,195 150,204' -draw 'circle 210,195 210,204')
  # Mouth.
  draw+=(-fill none -strokewidth 5)
  case $mouth in
    glad) draw+=(-draw 'arc 145,225 215,275 20,160') ;;
    worried) draw+=(-draw 'arc 150,250 210,290 200,340') ;;
    *) draw+=(-draw 'line 155,255 205,255') ;;
  esac
  convert -size 360x560 xc:none "${draw[@]}" -crop 360x560+0+0 +repage "$work/$name.tga"
  "$tool" cbi "$work/$name.tga" "$out/$name.cbi"
}

pose tobin_calm '#3f6e8c' '#6b4a2e' '#f0c9a0' short calm
pose tobin_glad '#3f6e8c' '#6b4a2e' '#f0c9a0' short glad
pose maren_calm '#8c3f5a' '#c48a3a' '#e8bb94' long calm
pose maren_worried '#8c3f5a' '#c48a3a' '#e8bb94' long worried
