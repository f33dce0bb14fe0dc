#!/usr/bin/env bash
# Builds everything and runs every test. The window tests run on Qt's
# offscreen platform, so no display is needed. Then it does it all once more
# with the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default
cmake --build --preset default
QT_QPA_PLATFORM=offscreen ctest --preset default

# Static analysis over the same sources, with the build's compile commands.
bash tools/lint.sh

# The same tests again under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer; any report fails the run.
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

# A short run of every fuzz target over its seeds.
bash tools/fuzz.sh
