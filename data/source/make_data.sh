#!/bin/sh
# Regenerates the sample data that comes from committed sources: the
# localisation tables from data/source/loca/<language>.txt and the two GUI
# fonts (with their licence) from the system's free font package. The
# scenes' pictures are drawn by data/source/draw_scenes.sh, which needs
# ImageMagick. The results are committed; the build never runs this.
#
#   data/source/make_data.sh [path/to/tavrin-data]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-$root/build/tools/tavrin-data}
fonts=/usr/share/fonts/truetype/dejavu
licence=/usr/share/doc/fonts-dejavu-core/copyright

[ -x "$tool" ] || {
  echo "make_data: build the data tool first ($tool): in $root run" \
    "scripts/build.sh --target tavrin-data build -DCMAKE_BUILD_TYPE=RelWithDebInfo" >&2
  exit 1
}

for source in "$here"/loca/*.txt; do
  language=$(basename "$source" .txt)
  "$tool" loca "$source" "$root/data/Data/Global/loca/loca_$language.bin"
done

if [ ! -f "$fonts/DejaVuSans.ttf" ] || [ ! -f "$licence" ]; then
  echo "make_data: needs the package fonts-dejavu-core (scripts/setup.sh)" >&2
  exit 1
fi
gui=$root/data/Data/Shared/gui
mkdir -p "$gui"
# The body text font, and a serif display face for timers and counters.
cp "$fonts/DejaVuSans.ttf" "$gui/verdana.ttf"
cp "$fonts/DejaVuSerif-Bold.ttf" "$gui/DAYROM__.ttf"
cp "$licence" "$gui/fonts-licence.txt"
echo "make_data: done"
