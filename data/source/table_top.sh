# Sourced by the mini-game generators (which set $work): the table every
# mini-game is laid on, so that a game fills the screen instead of floating
# over the scene that started it.
#
# The host writes its timer, counter and score at the top right (one line
# about y 115-145, two lines about y 90-175, centred on x 1550) and draws
# them before the game: a game's background covers whatever it overlaps.
# The table therefore leaves a window there, framed like a brass plate,
# through which those texts show; a small sign beside each line tells what
# the number counts, since the number itself carries no word.

table_w=1920
table_h=1080
# The window the host's texts show through.
plate_x0=1430 plate_y0=80 plate_x1=1670 plate_y1=192

# table_top OUT: the bare wooden table of 1920 x 1080, planks running across.
table_top() {
  local planks=() grain=() y x
  for y in 0 135 270 405 540 675 810 945; do
    planks+=(-draw "line 0,$y 1920,$y")
    for x in 90 610 1130 1650; do
      local off=$(((x * 7 + y * 3) % 230))
      grain+=(-draw "line $((x + off - 160)),$((y + 30 + off % 40)) $((x + off + 260)),$((y + 34 + off % 40))")
      grain+=(-draw "line $((x + off - 60)),$((y + 82 + off % 30)) $((x + off + 180)),$((y + 80 + off % 30))")
    done
  done
  # Grain: noise stretched along the planks. It also breaks up the smooth
  # shading, which the compressed picture would otherwise show in bands.
  convert -size 40x1080 xc:gray50 -seed 7 -attenuate 0.9 +noise Uniform -colorspace Gray -auto-level -level -220%,320% \
    -resize 1920x1080\! -blur 0x1 "$work/grain.png"
  convert -size ${table_w}x${table_h} gradient:'#86603e'-'#654429' \
    "$work/grain.png" -compose Overlay -composite -compose Over \
    -fill none -stroke 'rgba(255,226,180,0.10)' -strokewidth 3 "${grain[@]}" \
    -stroke '#3c2614' -strokewidth 3 "${planks[@]}" \
    \( -size ${table_w}x${table_h} radial-gradient:'rgba(0,0,0,0)'-'rgba(0,0,0,0.4)' \) \
    -compose Over -composite "$1"
}

# table_plate IN OUT SIGNS...: cuts the texts' window into the table (or any
# full-screen picture) IN and frames it. The window is cut without the
# signs' stroke, which convert would carry into the cut and widen it by two
# pixels all round, and its far corner is the last pixel the host's display
# covers, so that nothing of the screen beneath shows around the display.
# Each SIGN (clock, moves, target) goes beside one line: one sign beside the
# single line, two beside the two.
table_plate() {
  local in=$1 out=$2
  shift 2
  local signs=("$@") ys=()
  if [ ${#signs[@]} -eq 1 ]; then ys=(130); else ys=(105 160); fi
  local draw=() i
  for i in "${!signs[@]}"; do
    local cx=1390 cy=${ys[$i]}
    case ${signs[$i]} in
      clock) draw+=(-fill '#e9d9a6' -stroke '#4a3618' -strokewidth 3 -draw "circle $cx,$cy $cx,$((cy - 20))"
                    -stroke '#4a3618' -strokewidth 4 -draw "line $cx,$cy $cx,$((cy - 14))"
                    -draw "line $cx,$cy $((cx + 10)),$((cy + 4))") ;;
      moves) draw+=(-fill '#e9d9a6' -stroke '#4a3618' -strokewidth 3
                    -draw "roundrectangle $((cx - 20)),$((cy - 20)) $((cx + 20)),$((cy + 20)) 5,5"
                    -fill '#4a3618' -stroke none
                    -draw "polygon $((cx - 14)),$cy $((cx - 4)),$((cy - 10)) $((cx - 4)),$((cy + 10))"
                    -draw "polygon $((cx + 14)),$cy $((cx + 4)),$((cy - 10)) $((cx + 4)),$((cy + 10))") ;;
      target) draw+=(-fill '#e9d9a6' -stroke '#4a3618' -strokewidth 3 -draw "circle $cx,$cy $cx,$((cy - 20))"
                     -fill '#b8412e' -stroke none -draw "circle $cx,$cy $cx,$((cy - 13))"
                     -fill '#e9d9a6' -draw "circle $cx,$cy $cx,$((cy - 7))") ;;
    esac
  done
  convert "$in" \
    -fill '#2a1c10' -stroke none -draw "roundrectangle 1344,$((plate_y0 - 16)) $((plate_x1 + 16)),$((plate_y1 + 16)) 18,18" \
    -fill '#b48a3e' -stroke '#5a3e16' -strokewidth 4 \
    -draw "roundrectangle 1350,$((plate_y0 - 10)) $((plate_x1 + 10)),$((plate_y1 + 10)) 14,14" \
    -fill '#d8b460' -stroke none -draw "circle 1362,$((plate_y0 + 2)) 1362,$((plate_y0 - 2))" \
    -draw "circle 1362,$((plate_y1 - 2)) 1362,$((plate_y1 - 6))" \
    "${draw[@]}" \
    \( -size ${table_w}x${table_h} xc:none -fill black -stroke none \
       -draw "roundrectangle $plate_x0,$plate_y0 $((plate_x1 - 1)),$((plate_y1 - 1)) 10,10" \) \
    -compose DstOut -composite "$out"
}

# table_with IN X Y OUT: the table with the picture IN laid on it, its
# top-left corner at X, Y, and a soft shadow beneath.
table_with() {
  table_top "$work/table_bare.png"
  convert "$work/table_bare.png" \
    \( "$1" -alpha extract -background black -alpha shape -channel A -evaluate multiply 0.55 +channel \
       -blur 0x10 \) -geometry +$(($2 + 10))+$(($3 + 14)) -compose Over -composite \
    "$1" -geometry +$2+$3 -compose Over -composite "$4"
}
