#!/bin/bash
# Draws the sample mini-games' pictures with `convert` (package imagemagick)
# and writes them through the data tool into data/Data/Shared/MiniGames/.
# The results are committed; run this again only to change the pictures.
#
#   data/source/draw_minigames.sh [path/to/tavrin-data]
#
#   Schloss   the code lock: the panel with its eight slots, the check
#             button released and held, four lights and ten numbered bolts
#   Abfolge   repeat-the-sequence: a round panel and the lit overlays of
#             the four buttons that Abfolge/Sample.xml places
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
games=$root/data/Data/Shared/MiniGames
serif=/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf

[ -x "$tool" ] || { echo "draw_minigames: build the data tool first ($tool)" >&2; exit 1; }
[ -f "$serif" ] || { echo "draw_minigames: needs fonts-dejavu-core" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# store NAME DEST.cbi: one drawn picture into the data folder.
store() {
  mkdir -p "$(dirname "$2")"
  "$tool" cbi "$work/$1.tga" "$2"
}

# ---- Schloss ----------------------------------------------------------------
# The panel is drawn at y 580 of the game: slot s is centred at x 400 + 160 s,
# its lights at y 648 - 580 = 68, the check button at (960, 180), the try
# lights from x 1169 at y 228.
lock=$games/Schloss
slots=()
for s in 0 1 2 3 4 5 6 7; do
  x=$((400 + 160 * s))
  slots+=(-fill '#262019' -draw "rectangle $((x - 55)),0 $((x + 55)),40")
  slots+=(-fill '#3b3228' -draw "roundrectangle $((x - 70)),52 $((x + 100)),84 10,10")
done
convert -size 1920x500 gradient:'#8a7456'-'#5a4a36' \
  -fill '#6e5c44' -stroke '#3a2f22' -strokewidth 6 -draw 'roundrectangle 300,10 1620,480 30,30' \
  -stroke none "${slots[@]}" \
  -fill '#3b3228' -draw 'roundrectangle 1150,210 1540,246 12,12' \
  -fill '#2a231b' -draw 'circle 960,180 960,262' \
  "$work/Background.tga"
store Background "$lock/Background.cbi"

convert -size 150x150 xc:none -fill '#b33a2a' -stroke '#5a1a12' -strokewidth 6 \
  -draw 'circle 75,75 75,8' -fill '#e0705e' -stroke none -draw 'circle 60,58 60,40' "$work/ButtonOut.tga"
convert -size 150x150 xc:none -fill '#7d271b' -stroke '#3a100a' -strokewidth 6 \
  -draw 'circle 75,75 75,14' "$work/ButtonIn.tga"
store ButtonOut "$lock/ButtonOut.cbi"
store ButtonIn "$lock/ButtonIn.cbi"

for light in White:'#f4f4f0' Red:'#e0321e' Yellow:'#f2c21a' Green:'#3cc84a'; do
  name=${light%%:*} colour=${light#*:}
  convert -size 28x28 xc:none -fill "$colour" -stroke '#201a14' -strokewidth 2 \
    -draw 'circle 14,14 14,2' "$work/Light$name.tga"
  store "Light$name" "$lock/Light$name.cbi"
done

for i in 1 2 3 4 5 6 7 8 9 10; do
  name=$(printf 'Bolt%02d' "$i")
  convert -size 100x300 xc:none -fill '#c9c2b4' -stroke '#4d473d' -strokewidth 4 \
    -draw 'roundrectangle 10,4 90,296 18,18' -fill '#a39c8e' -stroke none -draw 'rectangle 22,200 78,290' \
    -font "$serif" -pointsize 44 -fill '#2c2820' -gravity north -annotate +0+30 "$i" "$work/$name.tga"
  store "$name" "$lock/$name.cbi"
done

# ---- Abfolge ----------------------------------------------------------------
sequence=$games/Abfolge
convert -size 600x600 xc:none -fill '#2c2f3a' -stroke '#14161c' -strokewidth 8 \
  -draw 'circle 300,300 300,8' -stroke none \
  -fill '#5a1c1c' -draw 'circle 300,130 300,60' -fill '#1c5a26' -draw 'circle 470,300 470,230' \
  -fill '#1c2c5a' -draw 'circle 300,470 300,400' -fill '#5a4c1c' -draw 'circle 130,300 130,230' \
  "$work/Background.tga"
store Background "$sequence/Background.cbi"
for button in Red:'#ff4a3a' Green:'#4aff6a' Blue:'#4a7aff' Yellow:'#ffe04a'; do
  name=${button%%:*} colour=${button#*:}
  convert -size 150x150 xc:none -fill "$colour" -draw 'circle 75,75 75,5' \
    -fill 'rgba(255,255,255,0.5)' -draw 'circle 58,55 58,35' "$work/Button$name.tga"
  store "Button$name" "$sequence/Button$name.cbi"
done
