#!/bin/sh
# make_data_test.sh SOURCE_DIR DATA_TOOL: data/source/make_data.sh writes
# into the data folder it lies in, wherever that is, and says "done" only
# when it wrote there. Each copy holds the sample's sources with one text
# added, so that a table written from it differs from the sample's.
set -eu
root=$1
tool=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

copy_data() {
  mkdir -p "$1/Data/Global" "$1/Data/Shared"
  cp -R "$root/data/source" "$1/source"
  cp -R "$root/data/Data/Global/loca" "$1/Data/Global/loca"
  echo "copy_marker = written from the copy" >>"$1/source/loca/english.txt"
}

# row NAME DATA_DIR EXPECTED_EXIT EXPECTED_TEXT [TOOL]: runs the copy's
# script from elsewhere; checks its exit, where the tables went and what
# it said.
row() {
  name=$1 data=$2 expected_exit=$3 expected_text=$4
  shift 4
  status=0
  (cd "$work" && sh "$data/source/make_data.sh" "$@") >"$work/out.txt" 2>&1 || status=$?
  beside=$(dirname "$data")/data
  problem=
  if [ "$status" -ne "$expected_exit" ]; then
    problem="exit $status, not $expected_exit"
  elif [ "$beside" != "$data" ] && [ -e "$beside" ]; then
    problem="it wrote a data folder beside the copy ($beside)"
  elif [ "$status" -eq 0 ] && ! grep -q "written from the copy" "$data/Data/Global/loca/loca_english.bin"; then
    problem="the copy's table was not written"
  elif [ "$status" -eq 0 ] && [ ! -f "$data/Data/Shared/gui/verdana.ttf" ]; then
    problem="the copy's fonts were not written"
  elif ! grep -qF -- "$expected_text" "$work/out.txt"; then
    problem="no \"$expected_text\" in the output"
  elif [ "$status" -ne 0 ] && grep -q "done" "$work/out.txt"; then
    problem="says done though it failed"
  fi
  if [ -n "$problem" ]; then
    echo "$name: $problem"
    sed 's/^/  | /' "$work/out.txt"
    failures=$((failures + 1))
  fi
}

# A copy outside any checkout, two folders down as in ~/games/mine/.
outside=$work/games/mine
copy_data "$outside"
row "outside, tool named" "$outside" 0 "make_data: done ($outside)" "$tool"
row "outside, tool left out" "$outside" 1 "make_data: name the data tool"
row "outside, no tool there" "$outside" 1 "make_data: build the data tool first" "$work/nothing/tavrin-data"

# The data folder of a checkout finds the checkout's tool by itself.
checkout=$work/checkout
mkdir -p "$checkout/scripts" "$checkout/tools" "$checkout/build/tools"
: >"$checkout/scripts/build.sh"
ln -s "$tool" "$checkout/build/tools/tavrin-data"
copy_data "$checkout/data"
row "in a checkout, tool left out" "$checkout/data" 0 "make_data: done ($checkout/data)"
rm "$checkout/build/tools/tavrin-data"
row "in a checkout, not built" "$checkout/data" 1 "make_data: build the data tool first"

[ "$failures" -eq 0 ] || exit 1
echo "make_data.sh wrote each copy's own tables and refused without a tool"
