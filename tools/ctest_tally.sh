#!/usr/bin/env bash
# One line summing up the output of one or more ctest runs (the files named,
# or standard input): "tests: N passed, M failed, K skipped". ctest counts a
# skipped test among the passed in its own summary ("100% tests passed, 0
# tests failed out of 40") and names it only in the list of tests that did
# not run ("12 - Suite.Name (Skipped)"); here it is taken off the passed.
set -euo pipefail

log=$(cat "$@")
read -r total failed < <(
  grep -oE '[0-9]+ tests? failed out of [0-9]+' <<<"$log" |
    awk '{failed += $1; total += $NF} END {print total + 0, failed + 0}'
)
skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .* \((Skipped|Disabled)\)[[:space:]]*$' <<<"$log" || true)
echo "tests: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
