#!/bin/sh
# build.sh DIR [cmake options...]: configure (once) and build one tree.
set -e
dir=$1; shift
cmake -S "$(dirname "$0")/.." -B "$dir" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
