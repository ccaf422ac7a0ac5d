#!/bin/bash
# Draws the sample mini-games' pictures with `convert` (package imagemagick)
# and writes them into data/Data/Shared/MiniGames/ through the data tool.
# The results are committed, so neither the build nor the game needs the
# package; run this again only to change the pictures.
#
#   data/source/draw_minigames.sh [path/to/tavrin-data]
#
# Zielscheiben (target shooting, sample.xml): a shooting range of 1040 x 800
# with room for three by three targets of 180 x 180 (cell centres from
# 300, 200, every 220 across and 200 down), the target's back and empty
# face, two friends (an owl and a hare) and one enemy (a crow).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}

[ -x "$tool" ] || { echo "draw_minigames: build the data tool first ($tool)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! convert -size 4x4 xc:none -fill red -draw 'circle 2,2 2,3' "$work/probe.tga" 2>/dev/null ||
   [ ! -s "$work/probe.tga" ]; then
  echo "draw_minigames: needs convert with drawing (apt-get install imagemagick)" >&2
  exit 1
fi

# face NAME [convert drawing options...]: a round board of 180 x 180 with a
# figure drawn on it.
face() {
  local name=$1
  shift
  convert -size 180x180 xc:none -fill '#f3ead2' -stroke '#6b4a22' -strokewidth 6 \
    -draw 'circle 90,90 90,6' "$@" "$work/$name.tga"
}

# ------------------------------------------------------------ Zielscheiben --
targets=$root/data/Data/Shared/MiniGames/Zielscheiben
mkdir -p "$targets"

posts=()
for x in 300 520 740; do
  for y in 200 400 600; do
    posts+=(-draw "rectangle $((x - 8)),$((y + 80)) $((x + 8)),$((y + 100))")
  done
done
convert -size 1040x800 gradient:'#9ccbe8'-'#e8f2f7' \
  -fill '#c9b48a' -draw 'rectangle 0,640 1040,800' \
  -fill '#8a6a3e' -stroke '#4d3a1e' -strokewidth 4 \
  -draw 'rectangle 150,90 890,720' \
  -fill '#a7854f' -stroke none -draw 'rectangle 170,110 870,700' \
  -stroke '#8a6a3e' -strokewidth 3 \
  -draw 'line 170,300 870,300' -draw 'line 170,500 870,500' \
  -fill '#4d3a1e' -stroke none "${posts[@]}" \
  -fill '#6b4a22' -draw 'rectangle 120,720 920,750' \
  "$work/range.tga"

convert -size 180x180 xc:none -stroke '#3a2a12' -strokewidth 4 \
  -fill '#f5f5f0' -draw 'circle 90,90 90,6' \
  -fill '#d23a2c' -draw 'circle 90,90 90,22' \
  -fill '#f5f5f0' -draw 'circle 90,90 90,38' \
  -fill '#d23a2c' -draw 'circle 90,90 90,54' \
  -fill '#f5f5f0' -draw 'circle 90,90 90,70' \
  "$work/target_back.tga"

face target_front -fill none -stroke '#c8b68e' -strokewidth 3 -draw 'circle 90,90 90,30'

face friend_owl -stroke '#4a3218' -strokewidth 3 -fill '#a9794a' -draw 'ellipse 90,104 46,56 0,360' \
  -fill '#a9794a' -draw 'polygon 50,58 62,30 76,54' -draw 'polygon 130,58 118,30 104,54' \
  -fill white -draw 'circle 72,78 72,60' -draw 'circle 108,78 108,60' \
  -fill '#2a1a0a' -draw 'circle 72,80 72,72' -draw 'circle 108,80 108,72' \
  -fill '#e8a22a' -draw 'polygon 84,94 96,94 90,108' \
  -fill '#d8b48a' -stroke none -draw 'ellipse 90,132 26,20 0,360'

face friend_hare -stroke '#5a5048' -strokewidth 3 -fill '#cfc4b6' \
  -draw 'ellipse 70,48 12,38 0,360' -draw 'ellipse 110,48 12,38 0,360' \
  -draw 'ellipse 90,110 42,40 0,360' \
  -fill '#f0b8c0' -stroke none -draw 'ellipse 70,48 5,26 0,360' -draw 'ellipse 110,48 5,26 0,360' \
  -fill '#2a2420' -draw 'circle 74,102 74,96' -draw 'circle 106,102 106,96' \
  -fill '#e07a8a' -draw 'polygon 84,116 96,116 90,124' \
  -stroke '#5a5048' -strokewidth 2 -draw 'line 90,124 90,132' \
  -draw 'line 60,122 36,116' -draw 'line 60,128 36,132' -draw 'line 120,122 144,116' -draw 'line 120,128 144,132'

face enemy_crow -stroke '#101010' -strokewidth 3 -fill '#2a2a30' \
  -draw 'ellipse 96,112 50,38 0,360' -draw 'circle 62,72 62,44' \
  -draw 'polygon 130,100 164,86 150,130' \
  -fill '#f0c020' -draw 'polygon 34,66 14,78 36,84' \
  -fill '#e02020' -stroke none -draw 'circle 56,66 56,58' \
  -fill '#101010' -draw 'circle 56,66 56,62' \
  -stroke '#f0c020' -strokewidth 4 -draw 'line 86,146 80,164' -draw 'line 106,146 112,164'

for name in range target_back target_front friend_owl friend_hare enemy_crow; do
  "$tool" cbi "$work/$name.tga" "$targets/$name.cbi"
done
echo "draw_minigames: done"
