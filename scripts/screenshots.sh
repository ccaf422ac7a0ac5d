#!/bin/sh
# scripts/screenshots.sh [BUILD_DIR]: takes the README's pictures of the
# sample game from the running program under Xvfb at 1920x1080 and writes
# them as small PNGs into docs/images/. The route (a new player "Ada", the
# options board, the first search, the study's cutscene, the map, two of the
# manor's puzzles) runs on the game's own 17 ms step with a fresh user
# folder and the music lists silent (the sound thread plays on the wall
# clock), so every run takes the same pictures. Needs xvfb-run and
# ImageMagick's `convert` (packages xvfb and imagemagick), which only this
# script uses; the build never runs it.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
# A relative BUILD_DIR is the caller's: the tool runs from data/.
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
tool=$build/tools/tavrin-screenshots
images=$root/docs/images
[ -x "$tool" ] || { echo "screenshots: build tavrin-screenshots first ($tool)" >&2; exit 1; }
command -v convert >/dev/null || { echo "screenshots: needs convert (apt-get install imagemagick)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/user" "$work/shots" "$images"
cd "$root/data"
# English texts whatever the machine's language, and a null audio device.
LANG=en_US.UTF-8 LANGUAGE=en LC_ALL=C.UTF-8 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy \
  xvfb-run -a -s "-screen 0 1920x1080x24" "$tool" "$work/shots" "$work/user"

# Half size, in at most 256 colours (dithered, so the sky's gradients stay
# smooth): about a hundred kilobytes a picture.
for shot in "$work"/shots/*.ppm; do
  name=$(basename "$shot" .ppm)
  convert "$shot" -resize 50% -dither FloydSteinberg -colors 256 -strip \
    -define png:exclude-chunks=date,time "PNG8:$images/$name.png"
done
du -ch "$images"/*.png | tail -1
