#!/bin/bash
# Draws the sample pictures of the sliding picture and of match-three with
# `convert` (package imagemagick) and writes them into
# data/Data/Shared/MiniGames/Mosaik/ and .../Match3/ through the data tool.
# The results are committed, so neither the build nor the game needs the
# package; run this again only to change the pictures.
#
#   data/source/draw_mosaik_match3.sh [path/to/tavrin-data]
#
#   Mosaik/Background.cbi   the table, 1920 x 1080, with a 600 x 600 frame
#                           in its middle around the 480 x 480 picture that
#                           the game centres on it
#   Mosaik/Sample.tga       the picture: 32 bits, rows from the top (the
#                           game cuts its pieces from the pixels as stored),
#                           its bottom-right ninth plain sea
#   Match3/Background.cbi   the table, 1920 x 1080, with a board of 8 x 7
#                           cells 100 apart, the first centred at (450, 290),
#                           and four stack rails at x 1280 to 1550, their
#                           lowest places at y 890
#   Match3/Gem1..4.cbi      the four tile types, 84 x 84, with Gem1grey..4grey
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
games=$root/data/Data/Shared/MiniGames

. "$here/to_cbi.sh"
begin_drawing draw_mosaik_match3
. "$here/table_top.sh"

# ---------------------------------------------------------------- Mosaik --
mosaik=$games/Mosaik
mkdir -p "$mosaik"
convert -size 600x600 gradient:'#8a5a32'-'#5a3518' \
  -fill none -stroke '#c89a5e' -strokewidth 6 -draw 'rectangle 14,14 585,585' \
  -stroke '#3a200c' -strokewidth 4 -draw 'rectangle 52,52 547,547' \
  -stroke none -fill '#2a1808' -draw 'rectangle 56,56 543,543' \
  -fill '#d8b27a' -draw 'circle 30,30 30,36' -draw 'circle 570,30 570,36' \
  -draw 'circle 30,570 30,576' -draw 'circle 570,570 570,576' \
  "$work/mosaik_frame.png"
table_with "$work/mosaik_frame.png" 660 240 "$work/mosaik_table.png"
table_plate "$work/mosaik_table.png" "$work/mosaik_bg.tga" moves
to_cbi "$work/mosaik_bg.tga" "$mosaik/Background.cbi"

# A harbour at dusk: every part of the picture differs from its neighbours,
# so each piece can be told where it belongs, but for the bottom-right ninth,
# the piece the game never shows: plain sea, so that the solved picture
# misses nothing (the boat and the waves stay left of it).
convert -size 480x480 gradient:'#f7b267'-'#4d6fa8' \
  -fill '#fff0b0' -draw 'circle 360,150 360,190' \
  -fill 'rgba(255,240,200,0.35)' -draw 'circle 360,150 360,230' \
  -fill '#3e5d8a' -draw 'rectangle 0,300 480,480' \
  -fill '#5678a8' -draw 'rectangle 0,330 300,336' -draw 'rectangle 0,372 300,377' -draw 'rectangle 0,420 300,424' \
  -fill '#6b4f3a' -draw "path 'M 0,300 L 0,190 L 40,170 L 90,200 L 140,160 L 200,210 L 230,300 Z'" \
  -fill '#e9dcc0' -stroke '#5b4630' -strokewidth 3 -draw 'rectangle 40,220 120,300' \
  -fill '#b0473a' -draw 'polygon 30,222 80,180 130,222' \
  -fill '#bfe3f5' -draw 'rectangle 60,240 84,262' -fill '#7a4b2a' -draw 'rectangle 92,258 110,300' \
  -fill '#f4efe4' -stroke '#404040' -strokewidth 3 -draw 'rectangle 400,120 430,300' \
  -fill '#c0392b' -draw 'rectangle 400,150 430,170' -draw 'rectangle 400,200 430,220' \
  -fill '#ffe68a' -draw 'polygon 396,112 434,112 424,90 406,90' \
  -fill '#8b5a2b' -stroke '#3b2616' -draw "path 'M 140,370 L 300,370 L 280,405 L 160,405 Z'" \
  -fill '#f6f1e1' -stroke '#6a5a40' -strokewidth 2 -draw 'polygon 222,365 222,250 282,362' \
  -draw 'polygon 216,365 216,270 166,362' -stroke '#3b2616' -strokewidth 4 -draw 'line 219,240 219,372' \
  -stroke none -fill '#ffffff' -draw 'polygon 150,110 166,104 182,110 166,114' \
  -draw 'polygon 196,86 210,80 224,86 210,90' -draw 'polygon 300,60 312,55 324,60 312,64' \
  "$work/picture.png"
tga_top_left "$work/picture.png" "$mosaik/Sample.tga"

# ---------------------------------------------------------------- Match3 --
match3=$games/Match3
mkdir -p "$match3"
# The panel lies on the table from (320, 200) down to the screen's bottom,
# clear of the host's timer at the top right.
cells=()
for y in $(seq 0 6); do
  for x in $(seq 0 7); do
    cx=$((130 + 100 * x)) cy=$((90 + 100 * y))
    cells+=(-draw "roundrectangle $((cx - 46)),$((cy - 46)) $((cx + 46)),$((cy + 46)) 12,12")
  done
done
rails=()
for x in 960 1050 1140 1230; do
  rails+=(-draw "roundrectangle $((x - 48)),$((690 - 92 * 3 - 48)) $((x + 48)),$((690 + 48)) 14,14")
done
convert -size 1280x880 xc:none -fill '#24355c' -stroke '#0c1222' -strokewidth 6 \
  -draw 'roundrectangle 3,3 1276,876 30,30' \
  \( -size 1280x880 gradient:'rgba(255,255,255,0.10)'-'rgba(0,0,0,0.25)' \) -compose Atop -composite -compose Over \
  -fill '#0c1222' -stroke '#6f86b8' -strokewidth 4 -draw 'roundrectangle 70,30 890,750 24,24' \
  -stroke none -fill '#1b2746' "${cells[@]}" \
  -fill '#0c1222' -stroke '#6f86b8' -strokewidth 3 "${rails[@]}" \
  -fill '#6f86b8' -stroke none -draw 'circle 24,24 24,18' -draw 'circle 1256,24 1256,18' \
  -draw 'circle 24,856 24,850' -draw 'circle 1256,856 1256,850' \
  "$work/match3_panel.png"
table_with "$work/match3_panel.png" 320 200 "$work/match3_table.png"
table_plate "$work/match3_table.png" "$work/match3_bg.tga" clock
to_cbi "$work/match3_bg.tga" "$match3/Background.cbi"

# gem NAME DRAWING...: one tile type in colour, and its grey twin for the
# empty stack slots.
gem() {
  local name=$1
  shift
  convert -size 84x84 xc:none "$@" "$work/$name.tga"
  convert "$work/$name.tga" -colorspace Gray -level 0%,140% -channel A -evaluate multiply 0.6 +channel \
    "$work/${name}grey.tga"
  to_cbi "$work/$name.tga" "$match3/$name.cbi"
  to_cbi "$work/${name}grey.tga" "$match3/${name}grey.cbi"
}
gem Gem1 -fill '#d8342c' -stroke '#6a1010' -strokewidth 4 -draw 'circle 42,42 42,6' \
  -stroke none -fill 'rgba(255,255,255,0.6)' -draw 'ellipse 30,28 12,8 0,360'
gem Gem2 -fill '#3b7ddd' -stroke '#0f2f66' -strokewidth 4 -draw 'polygon 42,4 80,42 42,80 4,42' \
  -stroke none -fill 'rgba(255,255,255,0.55)' -draw 'polygon 42,14 58,30 42,34 26,30'
gem Gem3 -fill '#3caa4e' -stroke '#145a20' -strokewidth 4 -draw 'roundrectangle 8,8 76,76 14,14' \
  -stroke none -fill 'rgba(255,255,255,0.5)' -draw 'roundrectangle 18,16 46,30 6,6'
gem Gem4 -fill '#f3c640' -stroke '#7a5a08' -strokewidth 4 \
  -draw 'polygon 42,4 52,30 80,32 58,50 66,78 42,62 18,78 26,50 4,32 32,30' \
  -stroke none -fill 'rgba(255,255,255,0.55)' -draw 'polygon 42,18 48,34 42,40 36,34'
echo "draw_mosaik_match3: done"
