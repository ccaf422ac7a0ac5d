#!/bin/bash
# Draws the sample jigsaw with `convert` (package imagemagick) into
# data/Data/Shared/MiniGames/Puzzle/. The results are committed; run this
# again only to change the pictures.
#
#   data/source/draw_jigsaw.sh [path/to/tavrin-data]
#
#   sample.tga       a lighthouse on a cliff at dusk, 720 x 540, 32 bits,
#                    rows from the top; the cuts are traced on it in a
#                    light line, so a piece keeps its edge on the table
#   sample_mask.tga  8 bits, rows from the top: each pixel holds the id of
#                    its piece, 1 to 12, four across and three down, 180
#                    pixels a side, each inner edge with a round knob
#   Background.cbi   the table the pieces are scattered on (read only when
#                    "[PLAYER]/Data/Minigames/Puzzle/Background" names it):
#                    the game centres it on the tray, which it lifts 81
#                    above the screen's middle, so 1920 x 1242 reaches from
#                    162 above the screen to its bottom
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
puzzle=$root/data/Data/Shared/MiniGames/Puzzle
serif=/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf

. "$here/to_cbi.sh"
begin_drawing draw_jigsaw
. "$here/table_top.sh"

mkdir -p "$puzzle"

# ---- the picture -------------------------------------------------------------
W=720 H=540
stars=()
for s in 40,30 120,70 210,24 300,58 610,40 680,90 560,16 470,66 660,150; do
  stars+=(-draw "circle $s ${s%,*},$((${s#*,} + 2))")
done
convert -size ${W}x${H} xc:'#f7c27a' \
  \( -size ${W}x200 gradient:'#24264f'-'#8a5a78' \) -geometry +0+0 -compose Over -composite \
  \( -size ${W}x140 gradient:'#8a5a78'-'#f7b46a' \) -geometry +0+200 -compose Over -composite \
  -fill '#fff6d8' "${stars[@]}" \
  -fill 'rgba(255,214,150,0.35)' -draw 'circle 540,330 540,230' \
  -fill '#ffd98a' -draw 'circle 540,338 540,296' \
  -fill 'rgba(120,70,110,0.75)' -draw 'ellipse 430,150 150,14 0,360' -draw 'ellipse 620,196 110,10 0,360' \
  -draw 'ellipse 250,110 120,11 0,360' \
  -fill '#2c3f6e' -draw 'rectangle 0,340 720,540' \
  \( -size ${W}x200 gradient:'#3f5a8c'-'#13213f' \) -geometry +0+340 -compose Over -composite \
  -fill 'rgba(255,200,120,0.75)' -draw 'rectangle 500,346 580,350' -draw 'rectangle 508,360 572,363' \
  -draw 'rectangle 518,376 562,379' -draw 'rectangle 526,396 554,398' -draw 'rectangle 534,420 546,422' \
  -stroke 'rgba(190,210,240,0.45)' -strokewidth 2 \
  -draw 'line 380,400 430,400' -draw 'line 620,430 690,430' -draw 'line 420,470 500,470' \
  -draw 'line 600,500 660,500' -draw 'line 330,440 370,440' -stroke none \
  "$work/sky_sea.png"

# The cliff, the lighthouse with its beam, the keeper's cottage, a boat and
# gulls; outlines as in the scenes.
convert "$work/sky_sea.png" \
  -fill 'rgba(255,240,170,0.28)' -draw 'polygon 196,96 720,20 720,170' -draw 'polygon 176,96 0,40 0,140' \
  -fill '#4a3628' -stroke '#24180f' -strokewidth 3 \
  -draw "path 'M 0,240 L 60,226 L 150,232 L 250,240 L 330,262 L 372,300 L 398,352 L 410,420 L 440,470 L 470,540 L 0,540 Z'" \
  -stroke none -fill '#5e4634' \
  -draw "path 'M 300,260 L 340,300 L 360,360 L 372,430 L 400,480 L 420,540 L 330,540 L 320,450 L 300,380 Z'" \
  -fill '#3a2a1e' -draw "path 'M 40,300 L 120,320 L 90,360 Z'" -draw "path 'M 180,380 L 260,400 L 210,430 Z'" \
  -draw "path 'M 60,450 L 150,470 L 100,500 Z'" \
  -fill '#4f7a3a' -stroke '#24180f' -strokewidth 3 \
  -draw "path 'M 0,240 L 60,226 L 150,232 L 250,240 L 330,262 L 350,278 L 300,272 L 220,262 L 120,256 L 0,262 Z'" \
  -stroke none -fill '#6a9a48' -draw 'ellipse 120,238 40,5 0,360' -draw 'ellipse 260,248 30,4 0,360' \
  -fill '#e9dcc0' -stroke '#3b2a1c' -strokewidth 3 -draw 'rectangle 250,196 318,248' \
  -fill '#a8442f' -draw 'polygon 240,198 284,164 328,198' \
  -fill '#ffd36a' -draw 'rectangle 264,210 282,228' -fill '#6b4428' -draw 'rectangle 292,214 308,248' \
  -fill '#f4efe4' -stroke '#3b2a1c' -strokewidth 3 -draw 'polygon 168,244 212,244 202,110 178,110' \
  -stroke none -fill '#c0392b' -draw 'polygon 171,206 209,206 206,176 174,176' \
  -draw 'polygon 176,144 204,144 202,122 178,122' \
  -fill 'rgba(0,0,0,0.16)' -draw 'polygon 192,244 212,244 202,110 192,110' \
  -fill '#2c2c34' -stroke '#1a1a20' -strokewidth 2 -draw 'rectangle 170,104 210,112' \
  -fill '#fff1a0' -stroke '#1a1a20' -strokewidth 3 -draw 'rectangle 176,80 204,104' \
  -stroke '#1a1a20' -strokewidth 2 -draw 'line 190,80 190,104' \
  -fill '#c0392b' -stroke '#1a1a20' -strokewidth 3 -draw 'polygon 172,80 208,80 190,62' \
  -fill 'rgba(255,250,200,0.55)' -stroke none -draw 'circle 190,92 190,70' \
  -fill '#7a4a2a' -stroke '#2a1a10' -strokewidth 3 -draw "path 'M 560,452 L 660,452 L 646,478 L 574,478 Z'" \
  -fill '#f6f1e1' -stroke '#5a4a34' -strokewidth 2 -draw 'polygon 614,448 614,370 658,446' \
  -draw 'polygon 608,448 608,384 572,446' -stroke '#2a1a10' -strokewidth 3 -draw 'line 611,362 611,454' \
  -stroke '#fff' -strokewidth 2 -fill none \
  -draw "path 'M 430,230 Q 440,222 450,230 Q 460,222 470,230'" \
  -draw "path 'M 470,260 Q 478,254 486,260 Q 494,254 502,260'" \
  -draw "path 'M 380,196 Q 388,190 396,196 Q 404,190 412,196'" \
  "$work/lighthouse.png"

# ---- the cuts ------------------------------------------------------------------
# Piece (c, r) has the id 1 + c + 4 r. Each inner edge gets a knob of radius
# 26 centred 20 pixels past the edge, pointing into the piece whose ids the
# chequer picks; the knob's pixels take its owner's id.
cols=4 rows=3 side=180 knob=26 reach=20
mask=(-fill 'gray(0)')
for r in 0 1 2; do
  for c in 0 1 2 3; do
    id=$((1 + c + 4 * r))
    mask+=(-fill "rgb($id,$id,$id)" -draw "rectangle $((c * side)),$((r * side)) $((c * side + side - 1)),$((r * side + side - 1))")
  done
done
for r in 0 1 2; do
  for c in 0 1 2 3; do
    id=$((1 + c + 4 * r))
    cx=$((c * side + side / 2)) cy=$((r * side + side / 2))
    if [ $c -lt 3 ]; then
      # The edge to the right: the knob points right on even squares.
      ex=$((c * side + side))
      if [ $(((c + r) % 2)) -eq 0 ]; then owner=$id dir=1; else owner=$((id + 1)) dir=-1; fi
      mask+=(-fill "rgb($owner,$owner,$owner)" -draw "circle $((ex + dir * reach)),$cy $((ex + dir * reach + knob)),$cy")
    fi
    if [ $r -lt 2 ]; then
      # The edge below: the knob points down on odd squares.
      ey=$((r * side + side))
      if [ $(((c + r) % 2)) -eq 1 ]; then owner=$id dir=1; else owner=$((id + 4)) dir=-1; fi
      mask+=(-fill "rgb($owner,$owner,$owner)" -draw "circle $cx,$((ey + dir * reach)) $cx,$((ey + dir * reach + knob))")
    fi
  done
done
convert -size ${W}x${H} xc:black +antialias "${mask[@]}" -colorspace Gray -depth 8 "$work/mask.png"

# The cuts traced on the picture: every pixel beside another piece (and
# the picture's own border) is lightened, like the cardboard showing at a
# real piece's edge, so a piece stands out from the table it lies on.
convert "$work/mask.png" \( +clone -roll +1+0 \) -compose Difference -composite -threshold 0 "$work/cut_r.png"
convert "$work/mask.png" \( +clone -roll -1+0 \) -compose Difference -composite -threshold 0 "$work/cut_l.png"
convert "$work/mask.png" \( +clone -roll +0+1 \) -compose Difference -composite -threshold 0 "$work/cut_d.png"
convert "$work/mask.png" \( +clone -roll +0-1 \) -compose Difference -composite -threshold 0 "$work/cut_u.png"
convert "$work/cut_r.png" "$work/cut_l.png" -compose Lighten -composite \
  "$work/cut_d.png" -compose Lighten -composite "$work/cut_u.png" -compose Lighten -composite \
  -fill black -draw 'rectangle 0,0 719,0' -draw 'rectangle 0,539 719,539' \
  -draw 'rectangle 0,0 0,539' -draw 'rectangle 719,0 719,539' \
  -fill white -draw 'rectangle 0,0 719,1' -draw 'rectangle 0,538 719,539' \
  -draw 'rectangle 0,0 1,539' -draw 'rectangle 718,0 719,539' "$work/cuts.png"
convert "$work/lighthouse.png" \
  \( -size ${W}x${H} xc:'#fff4dc' "$work/cuts.png" -alpha off -compose CopyOpacity -composite \
     -channel A -evaluate multiply 0.55 +channel \) -compose Over -composite \
  -alpha set -channel A -evaluate set 100% +channel "$work/picture.png"
tga_top_left "$work/picture.png" "$puzzle/sample.tga"
tga_top_left "$work/mask.png" "$puzzle/sample_mask.tga" 8

# ---- the table ---------------------------------------------------------------------
# The screen's top is 162 down the picture: the texts' window and the felt
# go there. The felt marks the tray's middle, where the finished picture
# comes to lie, and a small print of it lies as on a box lid in the bottom
# corner, below the tray (which ends 837 down the screen), where no piece
# is scattered.
# A lighter wood than the other games': the cliff's pieces are dark.
table_top "$work/table.png"
convert "$work/table.png" -modulate 150,85 -gravity north -background '#5e3f26' -splice 0x162 -gravity northwest \
  -fill '#23402e' -stroke '#17291d' -strokewidth 6 -draw "roundrectangle 560,$((459 + 162 - 300)) 1360,$((459 + 162 + 300)) 24,24" \
  -fill none -stroke 'rgba(200,230,190,0.18)' -strokewidth 2 \
  -draw "roundrectangle 590,$((459 + 162 - 270)) 1330,$((459 + 162 + 270)) 16,16" \
  "$work/felt.png"
convert "$work/picture.png" -resize 200x150 -bordercolor '#f3ead2' -border 8 \
  -bordercolor '#6b4a22' -border 2 -background none -rotate -4 "$work/lid.png"
convert "$work/felt.png" "$work/lid.png" -geometry +1664+$((162 + 871)) -compose Over -composite "$work/full.png"
convert "$work/full.png" -crop 1920x1080+0+162 +repage "$work/screen.png"
table_plate "$work/screen.png" "$work/plated.png" clock
convert "$work/full.png" "$work/plated.png" -geometry +0+162 -compose Copy -composite "$work/Background.png"
to_cbi "$work/Background.png" "$puzzle/Background.cbi"
echo "draw_jigsaw: done"
