# Sourced by the draw_*.sh scripts (which set $tool): hands drawn pictures to
# the data tool as raw RGBA rows from the top, never as TGA. This
# ImageMagick writes TGA rows from the top but marks them as starting at the
# bottom; the data tool honours the mark, as TGA readers must, and would
# store every picture upside down.

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
