# Sourced by the draw_*.sh scripts (which set $tool): what every drawing
# script starts with, and the hand-over of drawn pictures to the data tool
# as raw RGBA rows from the top, never as TGA. This ImageMagick writes TGA
# rows from the top but marks them as starting at the bottom; the data tool
# honours the mark, as TGA readers must, and would store every picture
# upside down. The few pictures the game reads as TGA are written by hand.

# begin_drawing NAME: stops with a message naming the script NAME unless the
# data tool is built and `convert` can draw; then makes the scratch folder
# $work, removed on exit.
begin_drawing() {
  [ -x "$tool" ] || {
    echo "$1: build the data tool first ($tool): in $root run" \
      "scripts/build.sh --target tavrin-data build -DCMAKE_BUILD_TYPE=RelWithDebInfo" >&2
    exit 1
  }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  if ! convert -size 4x4 xc:none -fill red -draw 'circle 2,2 2,3' "$work/probe.tga" 2>/dev/null ||
     [ ! -s "$work/probe.tga" ]; then
    echo "$1: needs convert with drawing (apt-get install imagemagick)" >&2
    exit 1
  fi
}

# store_with_preview IN DEST.cbi: one picture into a container, and as a
# PNG into $DRAW_PREVIEW when previews are wanted.
store_with_preview() {
  mkdir -p "$(dirname "$2")"
  to_cbi "$1" "$2"
  if [ -n "${DRAW_PREVIEW:-}" ]; then
    mkdir -p "$DRAW_PREVIEW"
    convert "$1" "$DRAW_PREVIEW/$(basename "$2" .cbi).png"
  fi
}

# tga_top_left IN OUT [DEPTH]: an uncompressed TGA with its rows from the
# top, written by hand: 32-bit colour (B G R A) or, with DEPTH 8, grey.
tga_top_left() {
  local w h type=2 bits=32 descriptor='\050' body=bgra
  w=$(identify -format '%w' "$1")
  h=$(identify -format '%h' "$1")
  if [ "${3:-32}" = 8 ]; then type=3 bits=8 descriptor='\040' body=gray; fi
  printf "\\000\\000\\$(printf %03o $type)\\000\\000\\000\\000\\000\\000\\000\\000\\000" >"$2"
  printf "\\$(printf %03o $((w & 255)))\\$(printf %03o $((w >> 8)))" >>"$2"
  printf "\\$(printf %03o $((h & 255)))\\$(printf %03o $((h >> 8)))" >>"$2"
  printf "\\$(printf %03o $bits)$descriptor" >>"$2"
  convert "$1" -depth 8 "$body:-" >>"$2"
}

# raw_rgba IN: writes IN.rgba beside IN and prints its WIDTHxHEIGHT.
raw_rgba() {
  convert "$1" -depth 8 "rgba:$1.rgba"
  identify -format '%wx%h' "$1"
}

# to_cbi IN DEST.cbi [tool options...]: one picture into a container.
to_cbi() {
  local in=$1 dest=$2 size
  shift 2
  size=$(raw_rgba "$in")
  "$tool" cbi "$@" --raw "$size" "$in.rgba" "$dest"
}

# to_frames BASE IN...: numbered containers BASE01.cbi, BASE02.cbi, ... of
# pictures that share one size.
to_frames() {
  local base=$1 size in raws=()
  shift
  for in in "$@"; do
    size=$(raw_rgba "$in")
    raws+=("$in.rgba")
  done
  "$tool" frames --raw "$size" "$base" "${raws[@]}"
}
