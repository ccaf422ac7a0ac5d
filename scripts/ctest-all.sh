#!/bin/sh
# ctest-all.sh ROOT: runs the three test trees; fails if any of them fails.
root=$1
status=0
jobs=$(nproc)
for tree in build build-asan build-fuzz; do
  echo "=== ctest: $tree"
  ctest --test-dir "$root/$tree" --output-on-failure -j"$jobs" || status=1
done
exit $status
