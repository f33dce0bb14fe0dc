#!/usr/bin/env bash
# Draws the window into docs/window.png (start state) and
# docs/window-type3.png (the default hood confirmed as pattern type 3).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default
cmake --build --preset default --target kiv_window_shot

mkdir -p docs
shot=build/default/tests/window/kiv_window_shot
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$shot" docs/window.png
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$shot" docs/window-type3.png --confirmed
echo "wrote docs/window.png and docs/window-type3.png"
