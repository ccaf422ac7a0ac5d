#!/bin/sh
# play_build_test.sh SOURCE_DIR: scripts/play builds the program and the
# libraries it links and nothing of the tests, tools or benchmarks, so that
# the first play does not wait for them. A dry run of that build in a fresh
# tree lists what it would compile.
set -eu
root=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

if ! grep -q -- '--target tavrin' "$root/scripts/play"; then
  echo "scripts/play builds more than the program"
  exit 1
fi
cmake -S "$root" -B "$tree" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Make stops at the first link, whose libraries a dry run never makes: the
# compile lines before it are what counts.
cmake --build "$tree" --target tavrin -- -n -k >"$tree/commands.txt" 2>&1 || true
compiled=$(grep -c -- " -c $root/" "$tree/commands.txt" || true)
others=$(grep -E -- " -c $root/(tests|tools|bench)/" "$tree/commands.txt" || true)
if [ "$compiled" -eq 0 ]; then
  echo "the dry run compiles nothing"
  exit 1
fi
if [ -n "$others" ]; then
  echo "the program's build also compiles:"
  echo "$others"
  exit 1
fi
echo "scripts/play compiles $compiled files, none of the tests, tools or benchmarks"
