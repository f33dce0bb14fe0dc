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
QT_QPA_PLATFORM=offscreen ctest --preset default | tee -a "$log" || failed=1

# Static analysis over the same sources, with the build's compile commands.
bash tools/lint.sh

# A packager's build: no preset, the default generator, Release flags, and no
# -Werror; it must build and pass the same tests. Then it is installed into a
# temporary prefix and packaged as a .deb, and both are checked.
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release --parallel "$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir build/release --output-on-failure | tee -a "$log" || failed=1
bash tools/package_check.sh build/release

# The same tests again under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer; any report fails the run.
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize | tee -a "$log" || failed=1

# A short run of every fuzz target over its seeds.
bash tools/fuzz.sh

# One closing line for whoever reads only the end of the run: passed,
# failed and skipped over the three runs.
bash tools/ctest_tally.sh "$log"
exit "$failed"
