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
#   menupage        the dark page on the statistics board that the lines
#                   rise over
#   creditsband     the veil the credits rise on over the last scene
#
# With DRAW_PREVIEW=folder set, each picture is also written as a PNG there.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
gui=$root/data/Data/Shared/gui

. "$here/to_cbi.sh"
begin_drawing draw_gui

# store NAME: one drawn picture into the GUI folder (and the preview).
store() { store_with_preview "$work/$1.tga" "$gui/$1.cbi"; }

# ---------------------------------------------------------------- splash --
stars=()
for xy in 120,80 260,150 410,60 530,210 700,110 860,40 980,170 1120,90 1300,60 \
          1450,140 1580,50 1760,120 1860,210 330,260 1020,250 1230,200 640,300; do
  x=${xy%,*} y=${xy#*,}
  stars+=(-draw "circle $x,$y $x,$((y + 3))")
done
# The lamp's beam: a wedge that widens away from the lamp and fades out
# before the picture's middle, with soft edges.
convert -size 1920x1080 xc:black -fill white \
  -draw 'polygon 300,178 1180,40 1180,350 300,222' -blur 0x10 "$work/beam_wedge.png"
convert -size 1920x1080 xc: -sparse-color barycentric '300,0 gray(100%) 1150,0 gray(0%)' \
  -evaluate pow 1.6 "$work/beam_fade.png"
convert "$work/beam_wedge.png" "$work/beam_fade.png" -compose multiply -composite \
  -evaluate multiply 0.5 "$work/beam_alpha.png"
convert -size 1920x1080 xc:'#ffeca0' "$work/beam_alpha.png" -alpha off \
  -compose copy-opacity -composite "$work/beam.png"
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
  "$work/beam.png" -compose over -composite \
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
# button NAME FILL EDGE GLOW: one state of the menu button, 440 x 84. The
# face is 70 high above a soft shadow; its label is centred by the scripts
# (maininclude.cis) on the face. The gloss fades out downwards instead of
# ending in an edge, so that tall letters and accents never touch a line.
button() {
  convert -size 408x34 gradient:'rgba(255,255,255,0.30)'-'rgba(255,255,255,0)' "$work/gloss_fade.png"
  convert -size 408x34 xc:black -fill white -draw 'roundrectangle 0,0 407,60 12,12' "$work/gloss_mask.png"
  convert "$work/gloss_fade.png" \( "$work/gloss_fade.png" -alpha extract "$work/gloss_mask.png" \
    -compose multiply -composite \) -alpha off -compose copy-opacity -composite "$work/gloss.png"
  convert -size 440x84 xc:none \
    -fill 'rgba(0,0,0,0.35)' -stroke none -draw 'roundrectangle 6,9 436,82 24,24' \
    -fill "$2" -stroke "$3" -strokewidth 4 -draw 'roundrectangle 4,4 432,74 22,22' \
    "$work/gloss.png" -geometry +16+10 -compose over -composite \
    -fill none -stroke "$4" -strokewidth 3 -draw 'roundrectangle 13,11 423,67 15,15' \
    "$work/$1.tga"
  store "$1"
}
button menubutton '#2f5d8a' '#14304f' '#e6c36a'
button menubuttonHover '#3f78ad' '#14304f' '#ffe08a'
button menubuttonPressed '#234a70' '#0c2036' '#c9a44e'
button menubuttonDeactivated '#5d6670' '#353b42' '#8f969e'

# ornament Y: adds to `ornaments` a gold diamond between two short rules,
# centred on the board's middle at height Y.
ornaments=()
ornament() {
  local y=$1
  ornaments+=(-draw "polygon 380,$((y - 13)) 393,$y 380,$((y + 13)) 367,$y"
    -draw "rectangle 300,$((y - 1)) 356,$((y + 1))" -draw "rectangle 404,$((y - 1)) 460,$((y + 1))"
    -draw "circle 294,$y 294,$((y + 3))" -draw "circle 466,$y 466,$((y + 3))")
}
ornament 52
ornament 880
# The board is 760 x 940: the menu's six buttons stand 92 apart on it with
# room above for the title and the player's name, and the ornaments stay
# clear of the first and last button.
convert -size 760x940 xc:none \
  -fill 'rgba(0,0,0,0.4)' -stroke none -draw 'roundrectangle 14,18 756,936 40,40' \
  -fill '#f4ead2' -stroke '#6b4a2b' -strokewidth 8 -draw 'roundrectangle 6,6 746,926 36,36' \
  -fill none -stroke '#c9a44e' -strokewidth 3 -draw 'roundrectangle 26,26 726,906 24,24' \
  -fill '#c9a44e' -stroke none "${ornaments[@]}" \
  "$work/menupanel.tga"
store menupanel

# The statistics page, 680 x 660, between the board's top ornament and its
# "Close": deep blue, lighter towards the middle, framed in gold, so that
# light lines read on it.
convert -size 680x660 radial-gradient:'#2a4264'-'#15233a' -seed 12 -attenuate 0.3 +noise Uniform \
  \( -size 680x660 xc:black -fill white -draw 'roundrectangle 0,0 679,659 18,18' \) \
  -alpha off -compose copy-opacity -composite \
  -fill none -stroke '#c9a44e' -strokewidth 3 -draw 'roundrectangle 2,2 677,657 17,17' \
  -stroke 'rgba(201,164,78,0.45)' -strokewidth 1 -draw 'roundrectangle 10,10 669,649 12,12' \
  "$work/menupage.tga"
store menupage

# The credits' dusk, 1920 x 1080: a dark veil over the last scene, deepest
# in the middle where the lines rise and lighter towards the sides, with a
# fine grain so that its wide, soft steps do not show as bands.
convert -size 1920x1080 xc: -sparse-color barycentric '0,0 gray(0%) 960,0 gray(100%)' \
  \( +clone -flop \) -compose darken -composite \
  -fx '0.5 + 0.36 * (3 * u * u - 2 * u * u * u)' -seed 11 -attenuate 0.25 +noise Uniform \
  "$work/band_alpha.png"
convert -size 1920x1080 xc:'#0d1422' "$work/band_alpha.png" -alpha off \
  -compose copy-opacity -composite "$work/creditsband.tga"
store creditsband

# The options board's controls. A slider's track, 520 x 24: a groove cut
# into the paper, dark brown with a lighter lower lip.
convert -size 520x24 xc:none \
  -fill '#6b4a2b' -draw 'roundrectangle 0,4 519,19 8,8' \
  -fill '#3d2a18' -draw 'roundrectangle 3,6 516,15 6,6' \
  -fill 'rgba(255,240,210,0.5)' -draw 'rectangle 10,18 509,19' \
  "$work/slider_track.tga"
store slider_track
# Its knob, 48 x 48: a brass boss, brighter while it is held.
knob() {
  convert -size 48x48 xc:none \
    -fill 'rgba(0,0,0,0.35)' -draw 'circle 25,27 25,47' \
    -fill "$1" -stroke '#6b4a2b' -strokewidth 3 -draw 'circle 23,23 23,43' \
    -fill "$2" -stroke none -draw 'circle 20,19 20,27' \
    "$work/$3.tga"
  store "$3"
}
knob '#c9a44e' '#ecd38e' slider_knob
knob '#e0bb5c' '#fff0b8' slider_knobPressed
# The fullscreen toggle, 56 x 56: an empty paper box, and the same box
# ticked.
box() {
  convert -size 56x56 xc:none \
    -fill '#fbf4e2' -stroke '#6b4a2b' -strokewidth 4 -draw 'roundrectangle 4,4 51,51 8,8' \
    "$@"
}
box "$work/checkboxOff.tga"
store checkboxOff
box -fill none -stroke '#2b6b3a' -strokewidth 7 -draw 'polyline 14,29 24,40 43,15' "$work/checkboxOn.tga"
store checkboxOn

echo "draw_gui: done"
