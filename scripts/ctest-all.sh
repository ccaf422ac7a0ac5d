#!/bin/sh
# ctest-all.sh ROOT: runs the three test trees; fails if any of them fails,
# is missing, or holds a test without a time limit.
root=$1
status=0
jobs=$(nproc)
for tree in build build-asan build-fuzz; do
  echo "=== ctest: $tree"
  cmake -DTREE="$root/$tree" -P "$root/scripts/check-timeouts.cmake" || status=1
  ctest --test-dir "$root/$tree" --output-on-failure -j"$jobs" || status=1
done
exit $status
