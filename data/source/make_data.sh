#!/bin/sh
# Regenerates the sample data that comes from committed sources: the
# localisation tables from source/loca/<language>.txt and the two GUI
# fonts (with their licence) from the system's free font package. The
# scenes' pictures are drawn by data/source/draw_scenes.sh, which needs
# ImageMagick. The results are committed; the build never runs this.
#
#   <data folder>/source/make_data.sh [path/to/tavrin-data]
#
# It writes into the data folder it lies in, so that a copy of data/ made
# for a game of one's own regenerates its own tables. Left out, the data
# tool is the checkout's build/tools/tavrin-data, when the data folder lies
# in a checkout; a copy elsewhere must name it.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
data=$(cd "$here/.." && pwd)
above=$(cd "$data/.." && pwd)
fonts=/usr/share/fonts/truetype/dejavu
licence=/usr/share/doc/fonts-dejavu-core/copyright
build_tool="scripts/build.sh --target tavrin-data build -DCMAKE_BUILD_TYPE=RelWithDebInfo"

if [ $# -ge 1 ]; then
  tool=$1
elif [ -f "$above/scripts/build.sh" ] && [ -d "$above/tools" ]; then
  tool=$above/build/tools/tavrin-data
else
  echo "make_data: name the data tool: $0 /path/to/checkout/build/tools/tavrin-data" \
    "($data lies outside a checkout; in the checkout, $build_tool builds it)" >&2
  exit 1
fi

[ -x "$tool" ] && [ -f "$tool" ] || {
  echo "make_data: build the data tool first ($tool): in the checkout run $build_tool" >&2
  exit 1
}

for source in "$here"/loca/*.txt; do
  [ -f "$source" ] || { echo "make_data: no language source in $here/loca" >&2; exit 1; }
  language=$(basename "$source" .txt)
  "$tool" loca "$source" "$data/Data/Global/loca/loca_$language.bin"
done

if [ ! -f "$fonts/DejaVuSans.ttf" ] || [ ! -f "$licence" ]; then
  echo "make_data: needs the package fonts-dejavu-core (scripts/setup.sh)" >&2
  exit 1
fi
gui=$data/Data/Shared/gui
mkdir -p "$gui"
# The body text font, and a serif display face for timers and counters.
cp "$fonts/DejaVuSans.ttf" "$gui/verdana.ttf"
cp "$fonts/DejaVuSerif-Bold.ttf" "$gui/DAYROM__.ttf"
cp "$licence" "$gui/fonts-licence.txt"
echo "make_data: done ($data)"
