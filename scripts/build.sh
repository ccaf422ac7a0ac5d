#!/bin/sh
# build.sh [--target NAME] DIR [cmake options...]: configure (once) and build
# one tree, or only NAME and what it needs.
set -e
target=
if [ "$1" = "--target" ]; then
  target=$2
  shift 2
fi
dir=$1; shift
cmake -S "$(dirname "$0")/.." -B "$dir" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" ${target:+--target "$target"}
