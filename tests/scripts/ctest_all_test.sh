#!/bin/sh
# ctest_all_test.sh SOURCE_DIR: scripts/ctest-all.sh fails, naming them, when
# a tree holds a test without a time limit, and when a tree is missing. It
# runs over made-up trees whose tests do nothing, never the real ones.
set -eu
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# make_tree DIR TEST[:LIMIT]...: a built tree of tests that end at once,
# each with the time limit in seconds after its colon, if any.
make_tree() {
  dir=$1
  shift
  mkdir -p "$dir"
  : >"$dir/CTestTestfile.cmake"
  for test in "$@"; do
    echo "add_test(${test%%:*} sh -c :)" >>"$dir/CTestTestfile.cmake"
    case $test in
      *:*) echo "set_tests_properties(${test%%:*} PROPERTIES TIMEOUT ${test#*:})" >>"$dir/CTestTestfile.cmake" ;;
    esac
  done
}

# row NAME EXPECTED_EXIT EXPECTED_LINE: runs the test command over the
# made-up root; checks its exit and that a line of its output matches the
# extended regular expression EXPECTED_LINE. A test with a limit is never
# named as one without.
row() {
  name=$1 expected_exit=$2 expected_line=$3
  status=0
  sh "$root/scripts/ctest-all.sh" "$fake" >"$work/out.txt" 2>&1 || status=$?
  problem=
  if [ "$status" -ne "$expected_exit" ]; then
    problem="exit $status, not $expected_exit"
  elif ! grep -qE -- "$expected_line" "$work/out.txt"; then
    problem="no line matching \"$expected_line\" in the output"
  elif grep -qxE -- " *Waits" "$work/out.txt"; then
    problem="it names Waits, which has a time limit"
  fi
  if [ -n "$problem" ]; then
    echo "$name: $problem"
    sed 's/^/  | /' "$work/out.txt"
    failures=$((failures + 1))
  fi
}

fake=$work/root
mkdir -p "$fake"
ln -s "$root/scripts" "$fake/scripts"
for tree in build build-asan build-fuzz; do
  make_tree "$fake/$tree" Waits:60 Ends:1
done
row "every test with a time limit" 0 "2 tests in '$fake/build-fuzz' each have a time limit"
make_tree "$fake/build-asan" Waits:60 Hangs
row "a test without a time limit" 1 "^ *Hangs$"
make_tree "$fake/build-asan" Waits:60 Ends:1
rm -r "$fake/build-fuzz"
row "a missing tree" 1 "No test tree at '$fake/build-fuzz'"

[ "$failures" -eq 0 ] || exit 1
echo "ctest-all.sh named the test without a time limit and the missing tree"
