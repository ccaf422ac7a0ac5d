#!/bin/bash
# Draws the pictures of the HUD shown during scenes with `convert` (package
# imagemagick) and writes them into data/Data/Shared/gui/ through the data
# tool. The results are committed, so neither the build nor the game needs
# the package; run this again only to change the pictures.
#
#   data/source/draw_hud.sh [path/to/tavrin-data]
#
#   hud_panel       the wooden strip with a parchment inlay along the bottom
#                   edge that lists what a search asks for
#   hud_plaque      the small board that counts the differences left
#   hud_hint        the hint lantern, unlit: the hint button's face
#   hud_hint_glow   the same lantern lit, laid over the face as it charges
#   hud_tray        the inventory's tray of three slots in an adventure
#   hud_item_key    the key as the inventory shows it
#   hud_menu        the way back to the main menu in the top left corner,
#                   with the Hover and Pressed sets the button looks for
#   hud_question    the board that asks before a scene is left for the menu
#   hud_done        the seal on a place of the map that is done
#
# With DRAW_PREVIEW=folder set, each picture is also written as a PNG there.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
gui=$root/data/Data/Shared/gui

. "$here/to_cbi.sh"
begin_drawing draw_hud

# store NAME: one drawn picture into the GUI folder (and the preview).
store() { store_with_preview "$work/$1.tga" "$gui/$1.cbi"; }

# board W H NAME [R]: a rounded wooden board with darker grain and a soft
# drop shadow, the base of the panel, the plaque, the tray and the HUD's
# menu parts; its corners are rounded by R, a third of its height unless given.
board() {
  local w=$1 h=$2 out=$3 r=${4:-$(( $2 / 3 ))}
  local grain=()
  for y in $(seq 14 11 $((h - 14))); do
    grain+=(-draw "path 'M 18,$y C $((w / 4)),$((y - 3)) $((w / 2)),$((y + 4)) $((w - 18)),$((y - 1))'")
  done
  convert -size "${w}x${h}" gradient:'#a8744a'-'#6e4526' -alpha set \
    \( -size "${w}x${h}" xc:none -fill white -draw "roundrectangle 2,2 $((w - 5)),$((h - 7)) $r,$r" \) \
    -compose DstIn -composite "$work/wood.png"
  convert -size "${w}x${h}" xc:none \
    -fill 'rgba(0,0,0,0.35)' -draw "roundrectangle 4,8 $((w - 3)),$((h - 1)) $r,$r" -blur 0x3 \
    "$work/wood.png" -compose Over -composite \
    -fill none -stroke 'rgba(70,40,20,0.35)' -strokewidth 2 "${grain[@]}" \
    -stroke '#3f2614' -strokewidth 4 -draw "roundrectangle 2,2 $((w - 5)),$((h - 7)) $r,$r" \
    -stroke 'rgba(255,220,170,0.35)' -strokewidth 2 -draw "roundrectangle 7,7 $((w - 10)),$((h - 12)) $((r - 4)),$((r - 4))" \
    "$out"
}

# inlay IN X0 Y0 X1 Y1 OUT: lays a parchment field with a brown rim into a board.
inlay() {
  local in=$1 x0=$2 y0=$3 x1=$4 y1=$5 out=$6
  convert "$in" \
    -fill '#f3e4c0' -stroke '#5a3a20' -strokewidth 3 -draw "roundrectangle $x0,$y0 $x1,$y1 14,14" \
    -fill none -stroke 'rgba(160,120,70,0.35)' -strokewidth 6 \
    -draw "roundrectangle $((x0 + 5)),$((y0 + 5)) $((x1 - 5)),$((y1 - 5)) 10,10" \
    "$out"
}

# ----------------------------------------------------------------- panel --
board 920 88 "$work/panel_board.png"
inlay "$work/panel_board.png" 20 11 894 70 "$work/panel_inlay.png"
convert "$work/panel_inlay.png" \
  -fill '#d9a43a' -stroke '#6b4a16' -strokewidth 2 \
  -draw 'circle 10,40 10,35' -draw 'circle 905,40 905,35' \
  "$work/hud_panel.tga"
store hud_panel

# ---------------------------------------------------------------- plaque --
board 460 96 "$work/plaque_board.png"
inlay "$work/plaque_board.png" 20 12 434 78 "$work/plaque_inlay.png"
convert "$work/plaque_inlay.png" \
  -fill '#d9a43a' -stroke '#6b4a16' -strokewidth 2 \
  -draw 'circle 10,44 10,38' -draw 'circle 444,44 444,38' \
  "$work/hud_plaque.tga"
store hud_plaque

# ------------------------------------------------------------------ tray --
board 420 132 "$work/tray_board.png"
slots=()
for x in 24 152 280; do
  slots+=(-draw "roundrectangle $x,16 $((x + 112)),112 18,18")
done
convert "$work/tray_board.png" \
  -fill '#3b2616' -stroke '#2a190c' -strokewidth 3 "${slots[@]}" \
  -fill none -stroke 'rgba(255,220,170,0.30)' -strokewidth 2 \
  -draw 'roundrectangle 28,20 132,108 15,15' -draw 'roundrectangle 156,20 260,108 15,15' \
  -draw 'roundrectangle 284,20 388,108 15,15' \
  "$work/hud_tray.tga"
store hud_tray

# --------------------------------------------------------------- lantern --
# Both lantern pictures share one outline so the lit one lies exactly over
# the unlit one; only the glass and the halo differ.
lantern() {
  local glass=$1 out=$2
  shift 2
  convert -size 144x160 xc:none "$@" \
    -fill 'rgba(0,0,0,0.35)' -stroke none -draw 'ellipse 72,150 42,7 0,360' \
    -fill none -stroke '#3a2a18' -strokewidth 5 -draw 'arc 54,8 90,40 180,360' \
    -fill '#8a5a22' -stroke '#3a2a18' -strokewidth 3 -draw 'polygon 40,42 104,42 96,30 48,30' \
    -fill '#b07a30' -draw 'rectangle 44,42 100,50' \
    -fill "$glass" -stroke '#3a2a18' -strokewidth 3 -draw 'rectangle 48,50 96,126' \
    -fill none -stroke '#6b4a16' -strokewidth 4 -draw 'line 72,50 72,126' -draw 'line 48,88 96,88' \
    -fill '#b07a30' -stroke '#3a2a18' -strokewidth 3 -draw 'rectangle 40,126 104,140' \
    -fill '#8a5a22' -draw 'rectangle 46,140 98,146' \
    "$out"
}
lantern '#3c4650' "$work/hud_hint.tga" \
  -fill 'rgba(20,14,8,0.55)' -stroke '#c89a4a' -strokewidth 4 -draw 'circle 72,86 72,18'
convert "$work/hud_hint.tga" \
  -fill 'rgba(255,255,255,0.18)' -stroke none -draw 'polygon 52,54 60,54 52,80' "$work/hud_hint.tga"
store hud_hint

lantern '#ffd870' "$work/lit.png" \
  -fill 'rgba(255,200,90,0.55)' -stroke none -draw 'circle 72,86 72,8' -blur 0x10 \
  -fill 'rgba(255,236,170,0.9)' -stroke '#ffe9a0' -strokewidth 4 -draw 'circle 72,86 72,18' -blur 0x1
convert "$work/lit.png" \
  -fill '#fff6c8' -stroke '#f08a28' -strokewidth 2 \
  -draw "path 'M 72,70 C 82,84 82,96 72,106 C 62,96 62,84 72,70 Z'" \
  -fill 'rgba(255,255,255,0.6)' -stroke none -draw 'polygon 52,54 60,54 52,80' \
  "$work/hud_hint_glow.tga"
store hud_hint_glow

# ------------------------------------------------------------------- key --
convert -size 96x96 xc:none \
  -fill 'rgba(0,0,0,0.35)' -stroke none -draw 'ellipse 52,66 36,6 0,360' \
  -fill '#e0b84a' -stroke '#6b4a16' -strokewidth 3 \
  -draw 'rectangle 36,44 84,54' -draw 'rectangle 66,54 74,66' -draw 'rectangle 78,54 84,62' \
  -draw 'circle 26,49 26,31' \
  -fill '#3b2616' -draw 'circle 26,49 26,41' \
  -fill 'rgba(255,255,255,0.55)' -stroke none -draw 'ellipse 20,40 6,3 -30,210' \
  "$work/hud_item_key.tga"
store hud_item_key

# ------------------------------------------------------------------ menu --
# The button's label is the script's; only the parchment changes with the
# state, lighter under the pointer and darker while pressed.
board 176 68 "$work/menu_board.png" 20
for state in ':#f3e4c0' 'Hover:#fff4d8' 'Pressed:#d8c49a'; do
  convert "$work/menu_board.png" \
    -fill "${state#*:}" -stroke '#5a3a20' -strokewidth 3 -draw 'roundrectangle 12,10 163,55 10,10' \
    "$work/hud_menu${state%%:*}.tga"
  store "hud_menu${state%%:*}"
done

# The question, 760 x 600: a title, two or three lines of text and two menu
# buttons one above the other on the parchment, as on the main menu's board.
board 760 600 "$work/question_board.png" 40
inlay "$work/question_board.png" 26 24 730 566 "$work/hud_question.tga"
store hud_question

# ------------------------------------------------------------------ done --
# A red wax seal with a cream tick, 64 x 64.
convert -size 64x64 xc:none \
  -fill 'rgba(0,0,0,0.35)' -stroke none -draw 'circle 33,35 33,61' \
  -fill '#a8322a' -stroke '#5e1410' -strokewidth 3 -draw 'circle 31,31 31,57' \
  -fill none -stroke 'rgba(255,190,170,0.45)' -strokewidth 2 -draw 'arc 13,13 49,49 200,290' \
  -stroke '#f6e6c4' -strokewidth 7 -draw "polyline 18,32 28,42 45,20" \
  "$work/hud_done.tga"
store hud_done

echo "draw_hud: done"
