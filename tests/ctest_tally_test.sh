#!/usr/bin/env bash
# The test command's closing line: ctest's summaries summed over runs, the
# skipped (GTEST_SKIP, a skip return code, a disabled test) never counted as
# passed. Usage: ctest_tally_test.sh TALLY_SCRIPT
set -uo pipefail
tally=$1
faults=0

expect() { # name, expected line, log text
  local got
  got=$(printf '%b' "$3" | bash "$tally")
  if [ "$got" != "$2" ]; then
    echo "FAIL $1: got '$got', want '$2'"
    faults=$((faults + 1))
  fi
}

expect "all passed" "tests: 5 passed, 0 failed, 0 skipped" \
  "100% tests passed, 0 tests failed out of 5\n"
expect "a skip is no pass" "tests: 3 passed, 0 failed, 2 skipped" \
  "100% tests passed, 0 tests failed out of 5\n\nThe following tests did not run:\n\t  2 - A.b (Skipped)\n\t  4 - C.d (Skipped)\n"
expect "disabled counts as skipped" "tests: 1 passed, 0 failed, 1 skipped" \
  "100% tests passed, 0 tests failed out of 2\n\nThe following tests did not run:\n\t  1 - Off (Disabled)\n"
expect "one test failed" "tests: 9 passed, 1 failed, 0 skipped" \
  "90% tests passed, 1 test failed out of 10\n\nThe following tests FAILED:\n\t  3 - A.b (Failed)\n"
expect "three runs summed" "tests: 10 passed, 2 failed, 1 skipped" \
  "100% tests passed, 0 tests failed out of 4\n80% tests passed, 1 tests failed out of 5\nThe following tests did not run:\n\t  5 - X (Skipped)\n75% tests passed, 1 tests failed out of 4\n"
expect "a test whose name reads like the summary" "tests: 1 passed, 0 failed, 1 skipped" \
  "Test #1: Skipped.Test ...   Passed\n100% tests passed, 0 tests failed out of 2\nThe following tests did not run:\n\t  2 - Skipped (Skipped)\n"

# ctest's own words, from a real run: a pass, a failure and a skip.
if command -v cmake >/dev/null && command -v ctest >/dev/null; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(tally NONE)
enable_testing()
add_test(NAME passes COMMAND ${CMAKE_COMMAND} -E true)
add_test(NAME fails COMMAND ${CMAKE_COMMAND} -E false)
add_test(NAME skips COMMAND ${CMAKE_COMMAND} -E echo "[  SKIPPED ] no tool")
set_tests_properties(skips PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
CMAKE
  cmake -S "$work" -B "$work/build" >/dev/null
  got=$(ctest --test-dir "$work/build" 2>&1 | bash "$tally")
  if [ "$got" != "tests: 1 passed, 1 failed, 1 skipped" ]; then
    echo "FAIL a real ctest run: got '$got'"
    faults=$((faults + 1))
  fi
fi

[ "$faults" -eq 0 ]
