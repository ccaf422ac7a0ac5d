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
#   Rohre     pipe connection: 96-pixel pieces whose base is drawn as is and
#             whose white masks are tinted with the liquid's colour, the
#             inlets and outlets, and a board with room for the inlets
#   Draehte   wire connection: square stone plates with a coloured stripe on
#             each side (sides counted clockwise from the top), the wire
#             pictures in each colour for a horizontal and a vertical gap
#   Zielscheiben  target shooting: a range filling the screen with room for
#             the three by three targets of 180 x 180 that
#             Zielscheiben/sample.xml places (cell centres from 740, 340,
#             every 220 across and 200 down), the target's back and empty
#             face, two friends (an owl and a hare) and one enemy (a crow)
#
# Each game's background fills the screen (see table_top.sh) and leaves the
# host's texts a window at the top right; the lock's panel only reaches
# the lower part, where the game draws it.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
games=$root/data/Data/Shared/MiniGames
serif=/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf

. "$here/to_cbi.sh"
begin_drawing draw_minigames
. "$here/table_top.sh"
[ -f "$serif" ] || { echo "draw_minigames: needs fonts-dejavu-core" >&2; exit 1; }

# store NAME DEST.cbi: one drawn picture into the data folder.
store() {
  mkdir -p "$(dirname "$2")"
  to_cbi "$work/$1.tga" "$2"
}

# ---- Schloss ----------------------------------------------------------------
# The panel is drawn at y 580 of the game: slot s is centred at x 400 + 160 s,
# its lights at y 648 - 580 = 68, the check button at (960, 180), the try
# lights from x 1169 at y 228. The game centres a slot's red light 36 left
# of the slot's middle, its yellow one 2 right and its green one 40 right,
# so each slot has a row of three sockets there.
lock=$games/Schloss
slots=()
for s in 0 1 2 3 4 5 6 7; do
  x=$((400 + 160 * s))
  slots+=(-fill '#262019' -draw "rectangle $((x - 55)),0 $((x + 55)),40")
  slots+=(-fill '#3b3228' -draw "roundrectangle $((x - 62)),52 $((x + 66)),84 10,10")
  for socket in -36 2 40; do
    slots+=(-fill '#1c1712' -draw "circle $((x + socket)),68 $((x + socket)),83")
  done
done
# The panel lies on the lower part of the table the other games fill the
# screen with; the game draws nothing above y 580 but its bolts.
table_top "$work/table.png"
convert -size 1320x470 gradient:'#857056'-'#5c4b37' \
  \( -size 1320x470 xc:none -fill white -draw 'roundrectangle 0,0 1319,469 30,30' \) \
  -compose DstIn -composite -compose Over \
  -fill none -stroke '#3a2f22' -strokewidth 6 -draw 'roundrectangle 3,3 1316,466 28,28' \
  -stroke 'rgba(255,240,210,0.25)' -strokewidth 2 -draw 'line 34,9 1286,9' \
  -stroke '#3a2f22' -strokewidth 2 -fill '#b9a27a' \
  -draw 'circle 30,30 30,21' -draw 'circle 1290,30 1290,21' \
  -draw 'circle 30,440 30,431' -draw 'circle 1290,440 1290,431' \
  "$work/lock_panel.png"
convert "$work/table.png" -crop 1920x500+0+580 +repage \
  \( "$work/lock_panel.png" -alpha extract -background black -alpha shape -channel A -evaluate multiply 0.5 \
     +channel -blur 0x8 \) -geometry +306+20 -compose Over -composite \
  "$work/lock_panel.png" -geometry +300+10 -compose Over -composite \
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
  # Drawn from 52 down a picture of 300: the game centres a bolt on its
  # position, and a waiting bolt's top then stays below the host's timer.
  convert -size 100x300 xc:none -fill 'rgba(0,0,0,0.3)' -draw 'roundrectangle 16,60 96,300 18,18' \
    -fill '#c9c2b4' -stroke '#4d473d' -strokewidth 4 \
    -draw 'roundrectangle 10,52 90,296 18,18' -fill '#a39c8e' -stroke none -draw 'rectangle 22,210 78,290' \
    -fill 'rgba(255,255,255,0.35)' -draw 'roundrectangle 18,60 30,200 5,5' \
    -font "$serif" -pointsize 44 -fill '#2c2820' -gravity north -annotate +0+74 "$i" "$work/$name.tga"
  store "$name" "$lock/$name.cbi"
done

# ---- Abfolge ----------------------------------------------------------------
sequence=$games/Abfolge
# The round panel lies on the table at (660, 240): its buttons are centred
# at (960, 370), (1130, 540), (960, 710) and (790, 540).
convert -size 600x600 xc:none -fill '#b48a3e' -stroke '#5a3e16' -strokewidth 6 \
  -draw 'circle 300,300 300,6' -fill '#2c2f3a' -stroke '#14161c' -strokewidth 6 \
  -draw 'circle 300,300 300,30' -stroke none \
  -fill 'rgba(255,255,255,0.06)' -draw 'circle 270,260 270,60' \
  -fill '#14161c' -draw 'circle 300,130 300,54' -draw 'circle 470,300 470,224' \
  -draw 'circle 300,470 300,394' -draw 'circle 130,300 130,224' \
  -fill '#7a2620' -draw 'circle 300,130 300,64' -fill '#22702e' -draw 'circle 470,300 470,234' \
  -fill '#24387a' -draw 'circle 300,470 300,404' -fill '#7a6620' -draw 'circle 130,300 130,234' \
  -fill 'rgba(255,255,255,0.18)' -draw 'circle 286,112 286,100' -draw 'circle 456,282 456,270' \
  -draw 'circle 286,452 286,440' -draw 'circle 116,282 116,270' \
  -fill '#5a3e16' -draw 'circle 300,300 300,268' -fill '#d8b460' -draw 'circle 300,300 300,276' \
  -fill '#d8b460' -draw 'circle 300,20 300,14' -draw 'circle 580,300 580,294' \
  -draw 'circle 300,580 300,574' -draw 'circle 20,300 20,294' \
  "$work/sequence_panel.png"
table_with "$work/sequence_panel.png" 660 240 "$work/sequence_table.png"
table_plate "$work/sequence_table.png" "$work/Background.tga" clock
store Background "$sequence/Background.cbi"
for button in Red:'#ff4a3a' Green:'#4aff6a' Blue:'#4a7aff' Yellow:'#ffe04a'; do
  name=${button%%:*} colour=${button#*:}
  convert -size 150x150 xc:none -fill "$colour" -draw 'circle 75,75 75,5' \
    -fill 'rgba(255,255,255,0.5)' -draw 'circle 58,55 58,35' "$work/Button$name.tga"
  store "Button$name" "$sequence/Button$name.cbi"
done

# picture NAME W H [convert drawing options...]: a transparent canvas.
picture() {
  local name=$1 w=$2 h=$3
  shift 3
  convert -size "${w}x${h}" xc:none "$@" "$work/$name.tga"
}

# keep FOLDER NAME: one drawn picture into that game's folder.
keep() {
  store "$2" "$games/$1/$2.cbi"
}

# ---- Rohre ------------------------------------------------------------------
# The board lies on the table at (580, 250): cells of 96 centred from
# (740, 350), six across and five down.
picture pipes_board 760 580 -fill '#27313d' -draw 'roundrectangle 0,0 759,579 24,24' \
  -fill '#36414f' -draw 'roundrectangle 104,44 696,540 12,12' \
  -stroke '#2b3440' -strokewidth 2 \
  -draw 'line 208,52 208,532' -draw 'line 304,52 304,532' -draw 'line 400,52 400,532' \
  -draw 'line 496,52 496,532' -draw 'line 592,52 592,532' \
  -draw 'line 112,148 688,148' -draw 'line 112,244 688,244' -draw 'line 112,340 688,340' \
  -draw 'line 112,436 688,436'

shell='-stroke #8d98a6 -strokewidth 40'
inner='-stroke #1c222a -strokewidth 20'
liquid='-stroke white -strokewidth 20'
picture straight 96 96 $shell -draw 'line 48,0 48,96' $inner -draw 'line 48,0 48,96'
picture straight_mask 96 96 $liquid -draw 'line 48,0 48,96'
# ring NAME COLOUR R: a quarter ring about the top-right corner, from the top
# side's middle to the right side's middle, 2R wide (stroked arcs would come
# out filled).
ring() {
  convert -size 96x96 xc:none -fill "$2" -draw "circle 96,0 96,$((48 + $3))" \
    \( -size 96x96 xc:none -fill black -draw "circle 96,0 96,$((48 - $3))" \) \
    -compose DstOut -composite "$work/$1.tga"
}
ring bend_shell '#8d98a6' 20
ring bend_inner '#1c222a' 10
ring bend_mask white 10
convert "$work/bend_shell.tga" "$work/bend_inner.tga" -composite "$work/bend.tga"
picture cross 96 96 $shell -draw 'line 48,0 48,96' -draw 'line 0,48 96,48' \
  $inner -draw 'line 0,48 96,48' $shell -draw 'line 48,22 48,74' $inner -draw 'line 48,0 48,96'
picture cross_mask1 96 96 $liquid -draw 'line 48,0 48,96'
picture cross_mask2 96 96 $liquid -draw 'line 0,48 30,48' -draw 'line 66,48 96,48'
picture empty_mask 96 96
for name in straight_mask2 bend_mask2; do cp "$work/empty_mask.tga" "$work/$name.tga"; done
# An inlet: a tank with a spout on its right; an outlet: a basin fed from its left.
picture inlet 56 96 -fill '#6f7b8a' -stroke '#465261' -strokewidth 3 -draw 'roundrectangle 2,8 40,88 8,8' \
  $shell -draw 'line 36,48 56,48' $inner -draw 'line 30,48 56,48'
picture inlet_mask 56 96 -fill white -draw 'roundrectangle 10,18 32,78 4,4' $liquid -draw 'line 30,48 56,48'
picture outlet 96 96 $shell -draw 'line 0,48 44,48' $inner -draw 'line 0,48 44,48' \
  -fill '#6f7b8a' -stroke '#465261' -strokewidth 3 -draw 'circle 62,48 62,16'
picture outlet_mask 96 96 $liquid -draw 'line 0,48 44,48' -fill white -stroke none -draw 'circle 62,48 62,26'
table_with "$work/pipes_board.tga" 580 250 "$work/pipes_table.png"
table_plate "$work/pipes_table.png" "$work/board.tga" clock
for name in board straight straight_mask straight_mask2 bend bend_mask bend_mask2 cross cross_mask1 \
    cross_mask2 inlet inlet_mask outlet outlet_mask; do
  keep Rohre "$name"
done

# ---- Draehte ----------------------------------------------------------------
# The board lies on the table at (510, 240): places at x 710, 960, 1210 and
# y 420, 660; plates 160 square.
picture wire_panel 900 600 -fill '#3a2f27' -draw 'roundrectangle 0,0 899,599 28,28' \
  -fill '#2a221c' -stroke '#54463a' -strokewidth 4 \
  -draw 'roundrectangle 116,96 284,264 10,10' -draw 'roundrectangle 366,96 534,264 10,10' \
  -draw 'roundrectangle 616,96 784,264 10,10' -draw 'roundrectangle 116,336 284,504 10,10' \
  -draw 'roundrectangle 366,336 534,504 10,10' -draw 'roundrectangle 616,336 784,504 10,10'

table_with "$work/wire_panel.tga" 510 240 "$work/wire_table.png"
table_plate "$work/wire_table.png" "$work/wireboard.tga" moves

declare -A hue=([red]='#d8413a' [blue]='#3d6fd8' [green]='#3fae4a' [yellow]='#e8c53a')
# plate NAME TOP RIGHT BOTTOM LEFT: a stone plate with its side colours.
plate() {
  picture "$1" 160 160 -fill '#9a948a' -stroke '#5f5a52' -strokewidth 4 \
    -draw 'roundrectangle 4,4 155,155 14,14' -stroke none \
    -fill "${hue[$2]}" -draw 'polygon 30,8 130,8 110,32 50,32' \
    -fill "${hue[$3]}" -draw 'polygon 152,30 152,130 128,110 128,50' \
    -fill "${hue[$4]}" -draw 'polygon 30,152 130,152 110,128 50,128' \
    -fill "${hue[$5]}" -draw 'polygon 8,30 8,130 32,110 32,50' \
    -fill '#7c766d' -draw 'circle 80,80 80,58'
}
plate plate_a1 green red blue yellow
plate plate_b1 blue green yellow red
plate plate_c1 red blue yellow green
plate plate_a2 blue green red yellow
plate plate_b2 yellow red blue green
for colour in red blue green yellow; do
  picture "wire_h_$colour" 90 18 -fill "${hue[$colour]}" -stroke '#1a1410' -strokewidth 2 \
    -draw 'roundrectangle 1,3 88,14 5,5'
  picture "wire_v_$colour" 18 80 -fill "${hue[$colour]}" -stroke '#1a1410' -strokewidth 2 \
    -draw 'roundrectangle 3,1 14,78 5,5'
done
for name in wireboard plate_a1 plate_b1 plate_c1 plate_a2 plate_b2 \
    wire_h_red wire_h_blue wire_h_green wire_h_yellow wire_v_red wire_v_blue wire_v_green wire_v_yellow; do
  keep Draehte "$name"
done

# ---- Zielscheiben -----------------------------------------------------------
targets=$games/Zielscheiben

# face NAME [convert drawing options...]: a round board of 180 x 180 with a
# figure drawn on it.
face() {
  local name=$1
  shift
  convert -size 180x180 xc:none -fill '#f3ead2' -stroke '#6b4a22' -strokewidth 6 \
    -draw 'circle 90,90 90,6' "$@" "$work/$name.tga"
  store "$name" "$targets/$name.cbi"
}

# The range fills the screen: the board's cells are centred from (740, 340),
# every 220 across and 200 down, as Zielscheiben/sample.xml places them.
posts=()
for x in 740 960 1180; do
  for y in 340 540 740; do
    posts+=(-draw "rectangle $((x - 8)),$((y + 80)) $((x + 8)),$((y + 100))")
  done
done
trees=()
for t in 110,600,70 300,640,54 1620,610,64 1800,650,80 1460,668,40 470,676,38; do
  IFS=, read -r tx ty tr <<<"$t"
  trees+=(-fill '#4d3a1e' -draw "rectangle $((tx - 8)),$ty $((tx + 8)),$((ty + tr + 30))"
          -fill '#3f7a3a' -stroke '#24451f' -strokewidth 3 -draw "circle $tx,$ty $tx,$((ty - tr))" -stroke none
          -fill 'rgba(255,255,255,0.12)' -draw "circle $((tx - tr / 3)),$((ty - tr / 3)) $((tx - tr / 3)),$((ty - tr * 2 / 3))")
done
convert -size 1920x1080 gradient:'#7fb6e0'-'#e8f2f7' \
  -fill '#fff8d8' -draw 'circle 300,180 300,130' -fill 'rgba(255,248,216,0.3)' -draw 'circle 300,180 300,90' \
  -fill 'rgba(255,255,255,0.85)' -draw 'ellipse 1500,300 120,30 0,360' -draw 'ellipse 1580,280 80,26 0,360' \
  -draw 'ellipse 420,380 100,24 0,360' -draw 'ellipse 360,366 60,20 0,360' \
  -fill '#8fb36a' -draw "path 'M 0,720 Q 300,600 640,700 Q 1000,620 1340,690 Q 1660,610 1920,700 L 1920,1080 L 0,1080 Z'" \
  -fill '#c9b48a' -draw 'rectangle 0,760 1920,1080' \
  -fill '#b39e72' -draw 'rectangle 0,940 1920,1080' \
  "${trees[@]}" \
  -fill '#6b4a22' -draw 'rectangle 620,840 650,960' -draw 'rectangle 1270,840 1300,960' \
  -fill '#8a6a3e' -stroke '#4d3a1e' -strokewidth 4 \
  -draw 'rectangle 590,230 1330,860' \
  -fill '#a7854f' -stroke none -draw 'rectangle 610,250 1310,840' \
  -stroke '#8a6a3e' -strokewidth 3 \
  -draw 'line 610,440 1310,440' -draw 'line 610,640 1310,640' \
  -fill '#4d3a1e' -stroke none "${posts[@]}" \
  -fill '#6b4a22' -stroke '#3a2a12' -strokewidth 3 -draw 'rectangle 560,860 1360,890' \
  -fill '#8a6a3e' -draw 'rectangle 560,200 1360,230' -stroke none \
  -fill 'rgba(0,0,0,0.18)' -draw 'rectangle 560,890 1360,910' \
  "$work/range_open.png"
table_plate "$work/range_open.png" "$work/range.tga" clock target
store range "$targets/range.cbi"

convert -size 180x180 xc:none -stroke '#3a2a12' -strokewidth 4 \
  -fill '#f5f5f0' -draw 'circle 90,90 90,6' \
  -fill '#d23a2c' -draw 'circle 90,90 90,22' \
  -fill '#f5f5f0' -draw 'circle 90,90 90,38' \
  -fill '#d23a2c' -draw 'circle 90,90 90,54' \
  -fill '#f5f5f0' -draw 'circle 90,90 90,70' \
  "$work/target_back.tga"
store target_back "$targets/target_back.cbi"

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
echo "draw_minigames: done"
