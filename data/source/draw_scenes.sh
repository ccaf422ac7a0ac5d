#!/bin/bash
# Draws the sample scenes' pictures with `convert` (package imagemagick) and
# writes them, with their scene descriptions, into data/Data/Shared/Scenes/ through the data
# tool. The results are committed, so neither the build nor the game needs
# the package; run this again only to change the pictures.
#
#   data/source/draw_scenes.sh [path/to/tavrin-data]
#
# Every scene type has one scene:
#   garden     hidden-object search (with an exit, a time limit, a group of
#              two apples and a butterfly texture strip)
#   garden_02  silhouette search in the same garden (folder Scenes/garden)
#   shelf      spot the difference (shelf_left.xml, shelf_right.xml)
#   study      cutscene (with a candle texture strip)
#   study_02   adventure in the same study: a key and a door (Scenes/study)
#   map        the travel map, one hotspot per place (the garden plot goes
#              back to the first search, the cottage to its shapes)
#
# With DRAW_PREVIEW=folder set, each scene is also composed into a PNG there
# (background and objects) for a look at the result.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
scenes=$root/data/Data/Shared/Scenes
serif=/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf

. "$here/to_cbi.sh"
begin_drawing draw_scenes
[ -f "$serif" ] || { echo "draw_scenes: needs fonts-dejavu-core" >&2; exit 1; }

# picture NAME W H [convert drawing options...]: a transparent canvas.
picture() {
  local name=$1 w=$2 h=$3
  shift 3
  convert -size "${w}x${h}" xc:none "$@" "$work/$name.tga"
  eval "size_${name//[^A-Za-z0-9]/_}='$w $h'"
}

# store NAME DEST.cbi: one drawn picture into the data folder.
store() {
  mkdir -p "$(dirname "$2")"
  to_cbi "$work/$1.tga" "$2"
}

# silhouette NAME: a flat dark copy of a drawn picture, for the item list.
silhouette() {
  convert "$work/$1.tga" -channel RGB -evaluate set 0 +channel \
    -fill '#1d2636' -colorize 100 "$work/$1_shape.tga"
}

# object LABEL FILE X Y [attributes...]: an object element with an octagon
# hotspot around the picture FILE placed at X, Y.
object() {
  local label=$1 file=$2 x=$3 y=$4
  shift 4
  local var="size_${file//[^A-Za-z0-9]/_}"
  read -r w h <<<"${!var}"
  local cx=$((w / 5)) cy=$((h / 5))
  # The shell has taken the quotes off name="value" arguments: put them back.
  local attributes="" attribute
  for attribute in "$@"; do attributes+=" ${attribute%%=*}=\"${attribute#*=}\""; done
  echo "    <object label=\"$label\" file=\"$file\" posx=\"$x\" posy=\"$y\"$attributes>"
  local points="$((x + cx)),$y $((x + w - cx)),$y $((x + w)),$((y + cy)) $((x + w)),$((y + h - cy))"
  points="$points $((x + w - cx)),$((y + h)) $((x + cx)),$((y + h)) $x,$((y + h - cy)) $x,$((y + cy))"
  for p in $points; do
    echo "      <Point x=\"${p%,*}\" y=\"${p#*,}\" />"
  done
  echo "    </object>"
  case " $* " in *' ignore=1 '*) ;; *) placed+=("$work/$file.tga" -geometry "+$x+$y" -composite) ;; esac
}

# preview NAME BACKGROUND: the objects placed since the last preview, on the
# background, when previews are wanted.
placed=()
preview() {
  if [ -n "${DRAW_PREVIEW:-}" ]; then
    mkdir -p "$DRAW_PREVIEW"
    convert "$work/$2.tga" "${placed[@]}" -resize 50% "$DRAW_PREVIEW/$1.png"
  fi
  placed=()
}

# ---------------------------------------------------------------- sparks --
all=$scenes/_All
# The light cone: clear in the middle, darkening to black at its rim; the
# scene draws black around it.
convert -size 900x900 radial-gradient:'rgba(0,0,0,0)'-'rgba(0,0,0,1)' \
  -channel A -level 35%,100% +channel "$work/lightcone.tga"
store lightcone "$all/LightCone.cbi"
picture dissolve1 64 64 -fill 'rgba(255,236,170,0.55)' -draw 'circle 32,32 32,14' -blur 0x5 \
  -fill white -draw 'polygon 32,2 36,28 62,32 36,36 32,62 28,36 2,32 28,28'
picture dissolve2 64 64 -fill 'rgba(170,240,255,0.55)' -draw 'circle 32,32 32,16' -blur 0x5 \
  -fill '#f4fdff' -draw 'polygon 32,6 35,29 58,32 35,35 32,58 29,35 6,32 29,29' \
  -draw 'polygon 14,14 33,30 50,14 34,31 50,50 31,34 14,50 30,33'
picture dissolve3 64 64 -fill 'rgba(255,250,220,0.7)' -draw 'circle 32,32 32,22' -blur 0x4 \
  -fill white -draw 'circle 32,32 32,26'
picture hint1 56 56 -fill 'rgba(255,220,80,0.5)' -draw 'circle 28,28 28,8' -blur 0x5 \
  -fill '#ffe15a' -stroke '#c88a10' -strokewidth 2 \
  -draw 'polygon 28,4 34,21 52,21 37,32 43,50 28,39 13,50 19,32 4,21 22,21'
picture hint2 56 56 -fill 'rgba(255,200,60,0.5)' -draw 'circle 28,28 28,10' -blur 0x5 \
  -fill '#fff4b0' -draw 'polygon 28,3 32,24 53,28 32,32 28,53 24,32 3,28 24,24'
picture hint3 56 56 -fill 'rgba(255,230,120,0.6)' -draw 'circle 28,28 28,14' -blur 0x4 \
  -fill '#ffd84a' -draw 'circle 28,28 28,20'
picture marker1 40 40 -fill 'rgba(150,230,255,0.6)' -draw 'circle 20,20 20,6' -blur 0x3 \
  -fill white -draw 'polygon 20,2 23,17 38,20 23,23 20,38 17,23 2,20 17,17'
picture marker2 40 40 -fill 'rgba(255,255,255,0.6)' -draw 'circle 20,20 20,8' -blur 0x3 \
  -fill '#e8fbff' -draw 'polygon 20,6 22,18 34,20 22,22 20,34 18,22 6,20 18,18'
picture marker3 40 40 -fill 'rgba(190,240,255,0.8)' -draw 'circle 20,20 20,12' -blur 0x2 \
  -fill white -draw 'circle 20,20 20,16'
# The exit arrow is drawn centred on the exit's hotspot: arrow and glow are
# centred in the picture.
picture exit 128 128 -fill 'rgba(255,255,255,0.5)' -stroke none \
  -draw 'polygon 11,44 67,44 67,14 117,64 67,114 67,84 11,84' -blur 0x4 \
  -fill '#3fae4a' -stroke white -strokewidth 5 \
  -draw 'polygon 16,48 72,48 72,24 112,64 72,104 72,80 16,80'
mkdir -p "$all"
to_frames "$all/DissolveSpark" "$work/dissolve1.tga" "$work/dissolve2.tga" "$work/dissolve3.tga"
to_frames "$all/HintSpark" "$work/hint1.tga" "$work/hint2.tga" "$work/hint3.tga"
to_frames "$all/MarkerSpark" "$work/marker1.tga" "$work/marker2.tga" "$work/marker3.tga"
store exit "$all/Exit.cbi"

# ------------------------------------------------------- shared objects --
draw_key() {
  picture "$1" 170 72 -stroke '#6b4a0c' -strokewidth 3 -fill '#e2b23e' \
    -draw 'circle 36,36 36,6' -draw 'rectangle 62,30 162,42' \
    -draw 'rectangle 128,42 138,62' -draw 'rectangle 148,42 158,56' \
    -fill none -draw 'circle 36,36 36,20' \
    -stroke '#fff2b8' -strokewidth 3 -draw 'arc 14,14 58,58 200,260' -draw 'line 70,33 150,33'
}
draw_cup() {
  picture "$1" 150 112 -stroke '#5a6a80' -strokewidth 3 -fill '#f5f7fb' \
    -draw 'ellipse 75,96 70,14 0,360' \
    -fill none -strokewidth 9 -stroke '#f5f7fb' -draw 'ellipse 118,52 16,18 270,90' \
    -strokewidth 3 -stroke '#5a6a80' -draw 'ellipse 118,52 22,24 270,90' \
    -fill '#f5f7fb' -draw "path 'M 22,20 L 114,20 C 112,62 100,88 68,90 C 36,88 24,62 22,20 Z'" \
    -fill '#8a5a2b' -draw 'ellipse 68,21 45,8 0,360' \
    -stroke none -fill '#3b6fb6' -draw "path 'M 26,42 L 110,42 L 107,54 L 29,54 Z'"
}
draw_lamp() {
  picture "$1" 120 190 -stroke '#3c2a14' -strokewidth 3 -fill none -draw 'ellipse 60,22 22,18 180,360' \
    -fill '#6b4a22' -draw 'rectangle 28,34 92,50' -draw 'rectangle 20,160 100,180' \
    -fill 'rgba(255,214,110,0.9)' -draw 'rectangle 32,50 88,160' \
    -fill '#fff6c8' -stroke none -draw 'ellipse 60,118 12,24 0,360' \
    -fill '#ff9a2a' -draw 'ellipse 60,126 7,14 0,360' \
    -stroke '#3c2a14' -strokewidth 3 -fill none -draw 'line 32,50 32,160' -draw 'line 88,50 88,160' \
    -draw 'line 60,50 60,92' -fill '#6b4a22' -draw "polygon 28,34 60,10 92,34"
}

# ---------------------------------------------------------------- garden --
garden=$scenes/garden
convert -size 1920x1080 gradient:'#7fbfeb'-'#eaf5fb' \
  -fill '#fff4b8' -draw 'circle 1660,170 1660,255' \
  -fill 'rgba(255,250,210,0.35)' -draw 'circle 1660,170 1660,300' \
  -fill 'rgba(255,255,255,0.9)' \
  -draw 'ellipse 380,190 130,46 0,360' -draw 'ellipse 470,160 110,60 0,360' -draw 'ellipse 560,200 120,40 0,360' \
  -draw 'ellipse 1140,120 100,34 0,360' -draw 'ellipse 1210,100 80,44 0,360' -draw 'ellipse 1280,128 90,30 0,360' \
  -fill '#a9cf93' -draw "path 'M 0,560 C 300,460 600,520 900,495 C 1200,470 1500,420 1920,520 L 1920,1080 L 0,1080 Z'" \
  -fill '#86bb72' -draw "path 'M 0,640 C 400,555 800,625 1200,590 C 1500,565 1700,600 1920,610 L 1920,1080 L 0,1080 Z'" \
  -fill '#5f9f4b' -draw "path 'M 0,720 C 500,680 1000,700 1920,690 L 1920,1080 L 0,1080 Z'" \
  -fill '#e9dcc0' -stroke '#9c8a66' -strokewidth 3 \
  -draw 'rectangle 1280,330 1860,720' \
  -fill '#b0473a' -stroke '#6e251c' -draw 'polygon 1240,340 1570,150 1900,340' \
  -fill '#7a4b2a' -stroke '#3f2612' -draw 'rectangle 1620,480 1740,720' \
  -fill '#d9a441' -stroke none -draw 'circle 1720,605 1720,613' \
  -fill '#bfe3f5' -stroke '#5b4630' -strokewidth 6 -draw 'rectangle 1360,420 1520,560' \
  -strokewidth 4 -draw 'line 1440,420 1440,560' -draw 'line 1360,490 1520,490' \
  -fill '#c66f8f' -stroke '#6e3a4e' -strokewidth 2 -draw 'rectangle 1350,560 1530,590' \
  -fill '#6b4a2b' -stroke '#3b2616' -strokewidth 4 -draw 'polygon 250,760 290,760 300,420 240,420' \
  -fill '#3f7f3a' -stroke '#2b5a28' -strokewidth 3 \
  -draw 'circle 270,330 270,190' -draw 'circle 170,400 170,300' -draw 'circle 370,400 370,300' \
  -draw 'circle 210,260 210,170' -draw 'circle 340,250 340,165' \
  -fill '#c0392b' -stroke none -draw 'circle 200,360 200,372' -draw 'circle 330,300 330,312' -draw 'circle 390,420 390,432' \
  -fill '#d8c59a' -stroke '#a5916a' -strokewidth 3 \
  -draw "path 'M 1620,720 C 1500,800 1100,860 980,1080 L 1300,1080 C 1400,900 1640,800 1740,720 Z'" \
  "$work/garden_bg.tga"
# the fence in front of the hills
fence=()
for x in $(seq 0 70 1200); do fence+=(-draw "polygon $x,730 $((x + 40)),730 $((x + 40)),630 $((x + 20)),605 $x,630"); done
convert "$work/garden_bg.tga" -fill '#f4efe4' -stroke '#8f8574' -strokewidth 3 "${fence[@]}" \
  -draw 'rectangle 0,650 1240,664' -draw 'rectangle 0,700 1240,714' \
  -stroke none -fill '#e4507a' -draw 'circle 620,800 620,812' -draw 'circle 700,830 700,842' -draw 'circle 520,850 520,862' \
  -fill '#f3c640' -draw 'circle 660,790 660,800' -draw 'circle 560,815 560,825' -draw 'circle 760,860 760,870' \
  -fill '#8e5fd0' -draw 'circle 600,860 600,870' -draw 'circle 480,800 480,810' \
  -fill '#4a8a3a' -draw 'ellipse 620,880 220,40 0,360' \
  "$work/garden_bg.tga"
to_cbi "$work/garden_bg.tga" "$garden/garden.cbi"

draw_key key
draw_cup cup
draw_lamp lamp
picture book 160 116 -stroke '#4a1010' -strokewidth 3 -fill '#f6f1e1' -draw 'polygon 12,40 120,12 152,76 44,104' \
  -fill '#b3262b' -draw 'polygon 10,30 118,2 150,66 42,94' \
  -stroke '#e8c35a' -strokewidth 3 -fill none -draw 'polygon 30,34 110,14 132,60 52,80' \
  -stroke none -fill '#e8c35a' -draw 'polygon 62,44 92,36 98,50 68,58'
picture can 210 150 -stroke '#1f4a2e' -strokewidth 3 -fill '#3c8d5a' \
  -draw 'polygon 130,96 200,34 206,42 140,116' -draw 'ellipse 200,36 10,14 0,360' \
  -draw 'roundrectangle 30,50 140,140 16,16' \
  -fill none -strokewidth 10 -stroke '#3c8d5a' -draw 'arc 34,10 120,90 180,360' \
  -strokewidth 3 -stroke '#1f4a2e' -draw 'arc 26,2 128,98 180,360' \
  -stroke '#8fd0a6' -strokewidth 4 -draw 'line 44,70 44,124'
picture apple 84 90 -stroke '#6a1010' -strokewidth 3 -fill '#d8342c' \
  -draw 'circle 30,54 30,22' -draw 'circle 54,54 54,22' \
  -stroke none -draw 'rectangle 24,38 60,80' \
  -fill '#ff8a7a' -draw 'ellipse 28,44 7,11 0,360' \
  -stroke '#4a2a10' -strokewidth 4 -draw 'line 42,28 46,8' \
  -stroke '#2d6a20' -strokewidth 2 -fill '#5cb043' -draw 'ellipse 58,14 14,6 0,360'
# The board sits in the middle of the picture: the exit's marker and arrow
# are drawn at the middle of its outline.
picture signpost 150 140 -stroke '#3f2612' -strokewidth 3 -fill '#8b5a32' \
  -draw 'rectangle 64,60 84,138' \
  -fill '#c28a52' -draw 'polygon 6,42 112,42 144,70 112,98 6,98' \
  -stroke '#f5e6c8' -strokewidth 6 -draw 'line 28,70 100,70' -fill none -draw 'polyline 84,54 104,70 84,86'
for f in 1 2 3; do
  half=$((f == 1 ? 34 : f == 2 ? 22 : 8))
  picture "wing_0$f" 96 72 -stroke '#5a2a6a' -strokewidth 2 -fill '#f08a3c' \
    -draw "ellipse $((48 - half / 2 - 10)),28 $half,24 0,360" -draw "ellipse $((48 + half / 2 + 10)),28 $half,24 0,360" \
    -fill '#f6c34a' -draw "ellipse $((48 - half / 2 - 8)),52 $((half * 2 / 3 + 2)),14 0,360" \
    -draw "ellipse $((48 + half / 2 + 8)),52 $((half * 2 / 3 + 2)),14 0,360" \
    -fill '#3a2030' -stroke none -draw 'ellipse 48,40 5,22 0,360'
  store "wing_0$f" "$garden/TextureStrips/butterfly/wing_0$f.cbi"
done
for name in key cup lamp book can apple signpost; do store $name "$garden/ObjectGfx/$name.cbi"; done
for name in key cup lamp; do
  silhouette $name
  store "${name}_shape" "$garden/Shapes/${name}_01.cbi"
done

{
  echo '<?xml version="1.0" encoding="utf-8" ?>'
  echo '<scene>'
  echo '  <gameinfo gametype="Search" objectcnt="5" />'
  echo '  <difficulty>'
  echo '    <low time="300" />'
  echo '    <med time="240" />'
  echo '    <high time="180" />'
  echo '  </difficulty>'
  echo '  <background file="garden" />'
  # Nothing to find lies under the HUD: the menu button (top left), the
  # lantern (bottom left, to x 160 from y 870) and the strip of names
  # (x 500 to 1420 from y 988).
  echo '  <objects>'
  object key_01 key 1200 900 forceuse="1"
  object cup_01 cup 1420 620 enabled="1"
  object book_01 book 190 900 enabled="1"
  object lamp_01 lamp 1545 540 enabled="1"
  object can_01 can 780 760 enabled="1"
  object apple_1 apple 180 700 enabled="1"
  object apple_2 apple 560 850 enabled="1"
  object exit_gate signpost 1750 860 forceuse="1"
  echo '    <texturestrip label="butterfly" file="butterfly" fps="8">'
  for f in 1 2 3 2; do
    echo "      <object label=\"wing_$f\" file=\"wing_0$f\" posx=\"900\" posy=\"560\" />"
  done
  echo '    </texturestrip>'
  echo '  </objects>'
  echo '</scene>'
} >"$garden/garden.xml"
placed+=("$work/wing_01.tga" -geometry +900+560 -composite)
preview garden garden_bg

{
  echo '<?xml version="1.0" encoding="utf-8" ?>'
  echo '<scene>'
  # Everything lies above the HUD's strip along the bottom edge.
  echo '  <gameinfo gametype="ShapeSearch" objectcnt="3" />'
  echo '  <background file="garden" />'
  echo '  <objects>'
  object key_01 key 300 780 forceuse="1"
  object cup_01 cup 1080 820 forceuse="1"
  object lamp_01 lamp 1300 560 forceuse="1"
  object book_01 book 560 830 enabled="1"
  echo '  </objects>'
  echo '  <shapes>'
  echo '    <shape label="key_01" file="key_01" />'
  echo '    <shape label="cup_01" file="cup_01" />'
  echo '    <shape label="lamp_01" file="lamp_01" />'
  echo '  </shapes>'
  echo '</scene>'
} >"$garden/garden_02.xml"
preview garden_02 garden_bg

# ----------------------------------------------------------------- shelf --
shelf=$scenes/shelf
stripes=()
for x in $(seq 0 60 960); do stripes+=(-draw "rectangle $x,0 $((x + 28)),1080"); done
convert -size 960x1080 xc:'#f1e4c8' -fill '#e6d3ae' "${stripes[@]}" \
  -fill '#8a5a34' -stroke '#4a2e16' -strokewidth 4 -draw 'rectangle 90,120 870,1060' \
  -fill '#a8744a' -draw 'rectangle 120,150 840,700' \
  -fill '#e9d6b0' -stroke '#6a4426' -draw 'rectangle 130,160 830,690' \
  -fill '#8a5a34' -draw 'rectangle 110,340 850,362' -draw 'rectangle 110,520 850,542' -draw 'rectangle 110,690 850,716' \
  -fill '#9c6a40' -draw 'rectangle 130,740 470,1030' -draw 'rectangle 490,740 830,1030' \
  -fill '#d9a441' -stroke '#6a4a10' -strokewidth 2 -draw 'circle 450,885 450,895' -draw 'circle 510,885 510,895' \
  -fill '#f8f8f4' -stroke '#3a5fa0' -strokewidth 4 -draw 'circle 300,250 300,170' -draw 'circle 660,250 660,170' \
  -fill none -strokewidth 3 -draw 'circle 300,250 300,196' -draw 'circle 660,250 660,196' \
  -fill '#6a3f22' -stroke '#3a2412' -strokewidth 3 -draw 'polygon 60,120 900,120 880,80 80,80' \
  -stroke '#2a1a10' -strokewidth 3 \
  -fill '#7a2a2a' -draw 'rectangle 146,664 256,690' -fill '#2f5a7a' -draw 'rectangle 154,638 250,664' \
  -fill '#4a6a34' -draw 'rectangle 148,614 244,638' \
  -fill '#a0522d' -draw 'rectangle 716,606 738,690' -fill '#3a6a8a' -draw 'rectangle 738,598 764,690' \
  -fill '#c9a23a' -draw 'rectangle 764,612 784,690' -fill '#6a3a6a' -draw 'polygon 786,690 806,690 830,622 810,614' \
  -stroke '#e8d08a' -strokewidth 2 -draw 'line 160,677 244,677' -draw 'line 166,651 238,651' -draw 'line 160,626 232,626' \
  -draw 'line 720,620 734,620' -draw 'line 742,612 760,612' -draw 'line 768,626 780,626' \
  "$work/shelf_bg.tga"
to_cbi "$work/shelf_bg.tga" "$shelf/shelf.cbi"
picture clock 130 150 -stroke '#3a2412' -strokewidth 3 -fill '#7a4a26' -draw 'roundrectangle 8,10 122,146 14,14' \
  -fill '#fbf6e6' -draw 'circle 65,70 65,26' -stroke '#222' -strokewidth 4 -draw 'line 65,70 65,40' -draw 'line 65,70 88,80' \
  -fill '#d9a441' -stroke '#6a4a10' -strokewidth 2 -draw 'circle 65,128 65,136'
picture vase 100 160 -stroke '#1d3f6a' -strokewidth 3 -fill '#3f7fc8' \
  -draw "path 'M 36,10 L 64,10 L 60,40 C 96,70 96,130 70,154 L 30,154 C 4,130 4,70 40,40 Z'" \
  -fill '#f3d25a' -stroke none -draw 'circle 50,96 50,80' -fill '#e4507a' -draw 'circle 50,96 50,88'
picture candle 60 170 -stroke '#6a4a10' -strokewidth 3 -fill '#d9a441' -draw 'ellipse 30,158 28,9 0,360' \
  -fill '#fbf3dc' -stroke '#a89a78' -draw 'rectangle 18,60 42,156' \
  -fill '#ffb53c' -stroke none -draw 'ellipse 30,40 8,18 0,360' -fill '#fff2a8' -draw 'ellipse 30,46 4,9 0,360'
picture teapot 190 130 -stroke '#5a1f3a' -strokewidth 3 -fill '#c74f7c' \
  -draw 'polygon 140,70 182,34 186,42 150,92' \
  -fill none -strokewidth 10 -stroke '#c74f7c' -draw 'ellipse 36,70 26,28 90,270' \
  -strokewidth 3 -stroke '#5a1f3a' -fill '#c74f7c' -draw 'ellipse 95,80 58,44 0,360' \
  -draw 'ellipse 95,38 30,8 0,360' -fill '#f3d25a' -draw 'circle 95,26 95,18' \
  -stroke '#f7c6d8' -strokewidth 4 -fill none -draw 'arc 52,50 138,110 200,250'
picture jar 100 130 -stroke '#5a4a2a' -strokewidth 3 -fill 'rgba(200,230,240,0.9)' \
  -draw 'roundrectangle 12,26 88,126 18,18' -fill '#c0392b' -draw 'rectangle 18,6 82,28' \
  -fill '#e07a2a' -stroke none -draw 'roundrectangle 20,60 80,120 12,12' \
  -fill '#fbf6e6' -stroke '#5a4a2a' -strokewidth 2 -draw 'rectangle 30,68 70,92'
for name in clock vase candle teapot jar; do store $name "$shelf/ObjectGfx/$name.cbi"; done
# Each object shows in one picture only; "ignore" marks where it is missing.
half() {
  local side=$1
  local missing_left='vase_01 teapot_01' missing_right='clock_01 candle_01 jar_01'
  local missing=missing_$side
  echo '<?xml version="1.0" encoding="utf-8" ?>'
  echo '<scene>'
  echo '  <gameinfo gametype="DifferenceHalf" objectcnt="5" />'
  echo '  <difficulty>'
  echo '    <low time="240" />'
  echo '    <med time="180" />'
  echo '    <high time="120" />'
  echo '  </difficulty>'
  [ "$side" = left ] && echo '  <background file="shelf" />'
  echo '  <objects>'
  for entry in clock_01:clock:200:372 vase_01:vase:600:360 candle_01:candle:420:352 \
               teapot_01:teapot:520:552 jar_01:jar:260:556; do
    IFS=: read -r label file x y <<<"$entry"
    local flags=(forceuse=1)
    case " ${!missing} " in *" $label "*) flags+=(ignore=1) ;; esac
    object "$label" "$file" "$x" "$y" "${flags[@]}"
  done
  echo '  </objects>'
  echo '</scene>'
}
half left >"$shelf/shelf_left.xml"
preview shelf_left shelf_bg
half right >"$shelf/shelf_right.xml"
preview shelf_right shelf_bg

# ----------------------------------------------------------------- study --
study=$scenes/study
planks=()
for x in $(seq -600 140 2500); do planks+=(-draw "line 960,760 $x,1080"); done
paper=()
for x in $(seq 0 90 1920); do paper+=(-draw "rectangle $x,0 $((x + 40)),760"); done
convert -size 1920x1080 xc:'#5e7f6a' \
  -fill '#54745f' "${paper[@]}" \
  -fill '#8a5a34' -stroke none -draw 'rectangle 0,760 1920,1080' \
  -stroke '#6a4226' -strokewidth 3 "${planks[@]}" \
  -draw 'line 0,830 1920,830' -draw 'line 0,920 1920,920' -draw 'line 0,1020 1920,1020' \
  -fill '#4a3020' -stroke none -draw 'rectangle 0,740 1920,768' \
  -fill '#3a2412' -draw 'rectangle 0,0 1920,22' \
  -fill '#8a5a34' -stroke '#3a2412' -strokewidth 3 -draw 'rectangle -4,20 1924,46' \
  -fill '#a8764a' -stroke none -draw 'rectangle 0,24 1920,30' \
  -fill '#6a4226' -draw 'rectangle 0,46 1920,58' -fill 'rgba(0,0,0,0.18)' -draw 'rectangle 0,58 1920,70' \
  -fill '#1f2f5a' -stroke '#5a3a1e' -strokewidth 14 -draw 'rectangle 760,150 1100,470' \
  -fill '#f6f0c8' -stroke none -draw 'circle 1010,230 1010,262' -fill '#1f2f5a' -draw 'circle 996,222 996,256' \
  -fill '#fff8d0' -draw 'circle 820,210 820,213' -draw 'circle 900,300 900,303' -draw 'circle 1050,380 1050,383' -draw 'circle 860,400 860,402' \
  -stroke '#5a3a1e' -strokewidth 8 -draw 'line 930,150 930,470' -draw 'line 760,310 1100,310' \
  -fill '#a3303a' -stroke '#5a1a20' -strokewidth 3 \
  -draw 'polygon 700,110 800,110 780,520 720,540' -draw 'polygon 1060,110 1160,110 1140,540 1080,520' \
  -fill '#6a4226' -stroke '#3a2412' -draw 'rectangle 690,100 1170,118' \
  -fill '#6a4226' -stroke '#3a2412' -strokewidth 4 -draw 'rectangle 90,140 560,780' \
  -fill '#3a2412' -draw 'rectangle 110,160 540,760' \
  -fill '#6a4226' -draw 'rectangle 100,300 550,318' -draw 'rectangle 100,460 550,478' -draw 'rectangle 100,620 550,638' \
  -fill '#c9a24a' -stroke '#5a3a1e' -strokewidth 10 -draw 'rectangle 1260,180 1500,360' \
  -stroke none -fill '#8fc0e0' -draw 'rectangle 1268,188 1492,300' -fill '#5f9f4b' -draw 'polygon 1268,352 1268,290 1340,250 1420,300 1492,260 1492,352' \
  -fill '#1e1410' -stroke '#4a2e16' -strokewidth 10 -draw 'rectangle 1604,256 1852,770' \
  -fill '#7a3040' -stroke '#4a1a24' -strokewidth 4 -draw 'ellipse 960,940 460,90 0,360' \
  -fill none -stroke '#e0b050' -strokewidth 6 -draw 'ellipse 960,940 400,66 0,360' \
  -fill '#7a4a26' -stroke '#3a2412' -strokewidth 4 -draw 'rectangle 1060,560 1520,600' \
  -draw 'rectangle 1080,600 1110,800' -draw 'rectangle 1470,600 1500,800' -draw 'rectangle 1120,600 1280,700' \
  -fill '#d9a441' -draw 'circle 1200,650 1200,658' \
  -fill '#f4efe4' -stroke '#8f8574' -strokewidth 2 -draw 'polygon 1330,558 1420,540 1440,556 1350,574' \
  "$work/study_bg.tga"
books=()
for row in 0 1 2 3; do
  top=$((180 + row * 160)); x=120
  for c in '#b3262b' '#3b6fb6' '#e0b050' '#3c8d5a' '#8e5fd0' '#c66f2f' '#2f6f7a' '#a3303a' '#f3ead2' '#4a6a2a'; do
    w=$((28 + (x * 7 + row * 13) % 16)); h=$((100 + (x * 3 + row * 5) % 30))
    [ $((x + w)) -gt 530 ] && break
    books+=(-fill "$c" -draw "rectangle $x,$((top + 118 - h)) $((x + w)),$((top + 118))")
    x=$((x + w + 4))
  done
done
convert "$work/study_bg.tga" -stroke '#20140c' -strokewidth 2 "${books[@]}" "$work/study_bg.tga"
to_cbi "$work/study_bg.tga" "$study/study.cbi"
draw_key key
store key "$study/ObjectGfx/key.cbi"
picture door 248 504 -stroke '#3a2412' -strokewidth 4 -fill '#8a5a34' -draw 'rectangle 2,2 246,502' \
  -fill '#7a4a26' -draw 'rectangle 26,30 222,230' -draw 'rectangle 26,276 222,476' \
  -fill '#d9a441' -stroke '#6a4a10' -draw 'circle 206,262 206,276' \
  -fill '#2a1a10' -stroke none -draw 'rectangle 202,288 210,308'
store door "$study/ObjectGfx/door.cbi"
for f in 1 2 3; do
  picture "flame_0$f" 40 64 -fill 'rgba(255,200,80,0.45)' -draw "ellipse 20,$((36 - f)) $((14 + f)),$((22 + f)) 0,360" -blur 0x3 \
    -fill '#ffb53c' -draw "ellipse $((19 + f % 2 * 2)),36 8,$((16 + f * 2)) 0,360" \
    -fill '#fff2a8' -draw 'ellipse 20,44 4,8 0,360'
  store "flame_0$f" "$study/TextureStrips/candle/flame_0$f.cbi"
done
picture candlestick 70 110 -stroke '#6a4a10' -strokewidth 3 -fill '#d9a441' -draw 'ellipse 35,100 32,8 0,360' \
  -draw 'rectangle 28,60 42,100' -fill '#fbf3dc' -stroke '#a89a78' -draw 'rectangle 24,8 46,62'
store candlestick "$study/ObjectGfx/candlestick.cbi"
candle_strip() {
  echo '    <texturestrip label="candle" file="candle" fps="10">'
  for f in 1 2 3 2; do
    echo "      <object label=\"flame_$f\" file=\"flame_0$f\" posx=\"1135\" posy=\"400\" />"
  done
  echo '    </texturestrip>'
}
{
  echo '<?xml version="1.0" encoding="utf-8" ?>'
  echo '<scene>'
  echo '  <gameinfo gametype="Cutscene" />'
  echo '  <background file="study" />'
  echo '  <objects>'
  object candlestick candlestick 1120 452
  candle_strip
  echo '  </objects>'
  echo '</scene>'
} >"$study/study.xml"
# The puzzles on the study table and the farewell play in the same room.
cp "$study/study.xml" "$study/study_03.xml"
cp "$study/study.xml" "$study/study_04.xml"
preview study study_bg
{
  echo '<?xml version="1.0" encoding="utf-8" ?>'
  echo '<scene>'
  echo '  <gameinfo gametype="Adventure" />'
  echo '  <background file="study" />'
  echo '  <lightcone file="Scenes/_All/LightCone" />'
  echo '  <objects>'
  object candlestick candlestick 1120 452
  object key key 860 950 forceuse="1"
  object door door 1604 262 forceuse="1"
  candle_strip
  echo '  </objects>'
  echo '</scene>'
} >"$study/study_02.xml"
preview study_02 study_bg

# ------------------------------------------------------------------- map --
map=$scenes/map
# route x0 y0 x1 y1 x2 y2 [STEP]: dots along a quadratic curve, for the paths
# between the places; a short path takes a larger STEP (in hundredths). The
# places' names stand above the pictures, clear of these paths
# (scripts/scenes/map.cis); the map's tests read the route lines below.
route_dots=()
route() {
  local x0=$1 y0=$2 x1=$3 y1=$4 x2=$5 y2=$6 step=${7:-4} t x y
  for t in $(seq 0 "$step" 100); do
    x=$(((100 - t) * (100 - t) * x0 + 2 * t * (100 - t) * x1 + t * t * x2))
    y=$(((100 - t) * (100 - t) * y0 + 2 * t * (100 - t) * y1 + t * t * y2))
    route_dots+=(-draw "circle $((x / 10000)),$((y / 10000)) $((x / 10000 + 5)),$((y / 10000))")
  done
}
route 650 330 760 560 940 740
route 1010 740 1250 620 1420 420
route 720 300 1040 180 1380 320
route 610 380 590 470 540 560 12
# boat X Y: adds to `boats` a small sailing boat on the sea, its hull's
# deck line centred on X, Y.
boats=()
boat() {
  local x=$1 y=$2
  boats+=(-stroke 'rgba(255,255,255,0.7)' -strokewidth 2 -fill none
    -draw "line $((x - 40)),$((y + 17)) $((x - 22)),$((y + 17))" -draw "line $((x + 18)),$((y + 19)) $((x + 38)),$((y + 19))"
    -stroke '#3f2612' -strokewidth 2 -fill '#7a4b2a'
    -draw "polygon $((x - 32)),$y $((x + 32)),$y $((x + 21)),$((y + 13)) $((x - 21)),$((y + 13))"
    -strokewidth 3 -draw "line $x,$y $x,$((y - 54))"
    -stroke '#8a7a60' -strokewidth 2 -fill '#f8f2e4'
    -draw "polygon $((x + 3)),$((y - 50)) $((x + 3)),$((y - 6)) $((x + 30)),$((y - 6))"
    -draw "polygon $((x - 3)),$((y - 42)) $((x - 3)),$((y - 6)) $((x - 22)),$((y - 6))"
    -stroke none -fill '#c0392b' -draw "polygon $x,$((y - 56)) $((x + 13)),$((y - 52)) $x,$((y - 48))")
}
boat 150 610
boat 120 270
# The river runs from a lake below the mountains into the sea. Its banks are
# a wide dark stroke under the sea and the lake; its water is drawn over
# both, so that it flows into them without a seam. It is drawn as a
# polyline through points of its curves: this ImageMagick closes an open
# path when it strokes it.
river=polyline$(awk 'BEGIN {
  n = split("300 436 600 470 700 392 900 480 1100 570 1200 512 1400 612 1490 656 1560 662 1650 652", p, " ")
  for (s = 0; s + 7 < n; s += 6)
    for (i = (s == 0 ? 0 : 1); i <= 20; i++) {
      t = i / 20; u = 1 - t
      x = u*u*u*p[s+1] + 3*u*u*t*p[s+3] + 3*u*t*t*p[s+5] + t*t*t*p[s+7]
      y = u*u*u*p[s+2] + 3*u*u*t*p[s+4] + 3*u*t*t*p[s+6] + t*t*t*p[s+8]
      printf " %d,%d", x, y
    }
}')
convert -size 1920x1080 gradient:'#efe0b4'-'#d8bd82' \
  -fill none -stroke '#4a7a9a' -strokewidth 26 -draw "stroke-linecap round stroke-linejoin round $river" \
  -fill '#7fb0d0' -stroke '#4a7a9a' -strokewidth 3 -draw 'ellipse 1730,650 95,48 0,360' \
  -fill '#7fb0d0' -stroke '#4a7a9a' -strokewidth 4 \
  -draw "path 'M 0,0 L 420,0 C 380,160 460,260 380,400 C 300,540 420,700 330,860 C 280,960 300,1020 260,1080 L 0,1080 Z'" \
  -fill none -stroke '#7fb0d0' -strokewidth 20 -draw "stroke-linecap round stroke-linejoin round $river" \
  "${boats[@]}" \
  -fill '#8a6a3a' -stroke none "${route_dots[@]}" \
  -fill '#9a8a70' -stroke '#5a4a30' -strokewidth 3 \
  -draw 'polygon 1180,250 1260,110 1340,250' -draw 'polygon 1290,250 1380,80 1470,250' -draw 'polygon 1420,250 1500,140 1580,250' \
  -fill '#f8f8f8' -stroke none -draw 'polygon 1355,126 1380,80 1405,126 1392,118 1380,130 1368,118' \
  -fill '#4f8a44' -stroke '#2f5a28' -strokewidth 3 \
  -draw 'circle 1000,900 1000,860' -draw 'circle 1060,930 1060,885' -draw 'circle 1120,890 1120,850' -draw 'circle 1180,940 1180,900' \
  -draw 'circle 1240,900 1240,862' -draw 'circle 1300,950 1300,905' -draw 'circle 1360,910 1360,872' \
  "$work/map_land.png"
# Outside the frame the map is bare parchment: the land and sea above are
# shown through a mask of the frame's inside only.
convert -size 1920x1080 xc:black -fill white -draw 'rectangle 20,20 1900,1060' "$work/map_mask.png"
convert -size 1920x1080 gradient:'#efe0b4'-'#d8bd82' "$work/map_land.png" "$work/map_mask.png" -composite \
  -fill none -stroke '#6a4a2a' -strokewidth 6 -draw 'rectangle 20,20 1900,1060' -strokewidth 2 -draw 'rectangle 34,34 1886,1046' \
  -fill '#b3262b' -stroke '#5a1010' -strokewidth 3 -draw 'polygon 1720,860 1736,920 1720,908 1704,920' \
  -fill '#f3ead2' -draw 'polygon 1720,980 1736,920 1720,932 1704,920' \
  -fill '#5a4a30' -stroke none -font "$serif" -pointsize 40 -annotate +1706+852 'N' \
  -pointsize 72 -fill '#6a4a2a' -annotate +1430+1010 'Tavrin' \
  "$work/map_bg.tga"
to_cbi "$work/map_bg.tga" "$map/map.cbi"
picture cottage 170 150 -stroke '#4a2e16' -strokewidth 3 -fill '#f3ead2' -draw 'rectangle 24,62 146,144' \
  -fill '#b0473a' -draw 'polygon 8,70 85,8 162,70' -fill '#7a4b2a' -draw 'rectangle 70,96 100,144' \
  -fill '#bfe3f5' -draw 'rectangle 36,80 60,104' -draw 'rectangle 110,80 134,104'
picture manor 160 190 -stroke '#3a2a1a' -strokewidth 3 -fill '#c9b89a' -draw 'rectangle 30,60 130,186' \
  -fill '#6a4a8a' -draw 'polygon 20,66 80,4 140,66' -fill '#f6e08a' -draw 'rectangle 66,92 94,126' \
  -fill '#5a3a1e' -draw 'roundrectangle 64,146 96,186 12,12'
picture stall 180 150 -stroke '#4a2e16' -strokewidth 3 -fill '#a8744a' -draw 'rectangle 20,70 160,146' \
  -fill '#e9d6b0' -draw 'rectangle 34,84 146,130' \
  -fill '#c0392b' -draw 'polygon 6,72 26,12 154,12 174,72' \
  -stroke none -fill '#f8f8f4' -draw 'polygon 46,12 66,12 62,72 38,72' -draw 'polygon 106,12 126,12 134,72 110,72' \
  -fill '#3f7fc8' -draw 'circle 70,108 70,118' -fill '#c74f7c' -draw 'circle 110,108 110,118'
picture plot 170 140 -stroke '#2f4a1e' -strokewidth 3 -fill '#8cc46a' -draw 'ellipse 85,104 80,32 0,360' \
  -fill '#7a5230' -draw 'rectangle 112,44 122,104' -fill '#4f8a44' -draw 'circle 117,36 117,6' \
  -fill '#c0392b' -stroke none -draw 'circle 106,30 106,35' -draw 'circle 128,42 128,47' \
  -stroke '#f3ead2' -strokewidth 4 -draw 'line 14,96 14,130' -draw 'line 38,100 38,136' -draw 'line 62,102 62,138' \
  -draw 'line 10,110 66,118' -stroke none -fill '#f7c948' -draw 'circle 44,80 44,86' \
  -fill '#d65a9a' -draw 'circle 70,84 70,90' -fill '#9a6ad6' -draw 'circle 30,70 30,75'
for name in cottage manor stall plot; do store $name "$map/ObjectGfx/$name.cbi"; done
{
  echo '<?xml version="1.0" encoding="utf-8" ?>'
  echo '<scene>'
  echo '  <gameinfo gametype="Map" objectcnt="4" />'
  echo '  <background file="map" />'
  echo '  <objects>'
  object garden plot 440 560 forceuse="1"
  object garden_02 cottage 560 220 forceuse="1"
  object study_03 manor 1360 230 forceuse="1"
  object shelf stall 880 700 forceuse="1"
  echo '  </objects>'
  echo '</scene>'
} >"$map/map.xml"
preview map map_bg

echo "draw_scenes: done"
