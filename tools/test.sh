#!/usr/bin/env bash
# Builds everything and runs every test. The window tests run on Qt's
# offscreen platform, so no display is needed. Then it does it all once more
# with the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default
cmake --build --preset default
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# A failing test does not stop the run: every suite runs, and the closing line
# counts them all; the run fails at its end.
failed=0
# Each test runs in a folder of its own, so they run side by side, one per core.
jobs=$(nproc)
QT_QPA_PLATFORM=offscreen ctest --preset default -j "$jobs" | tee -a "$log" || failed=1

# Static analysis with the build's compile commands: clang-tidy over the
# program's sources, the fuzz targets and the benchmarks, cppcheck over those
# and the tests too (`tools/lint.sh --all` runs clang-tidy over the tests
# as well; it takes as long as the rest of this run).
bash tools/lint.sh

# A packager's build: no preset, the default generator, Release flags, and no
# -Werror; it must build what it installs. Then it is installed into a
# temporary prefix and packaged as a .deb, and both are checked.
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKIV_BUILD_TESTS=OFF
cmake --build build/release --parallel "$jobs"
bash tools/package_check.sh build/release

# The same tests again under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer; any report fails the run.
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize -j "$jobs" | tee -a "$log" || failed=1

# A short run of every fuzz target over its seeds.
bash tools/fuzz.sh

# One closing line for whoever reads only the end of the run: passed,
# failed and skipped over the two runs.
bash tools/ctest_tally.sh "$log"
exit "$failed"
