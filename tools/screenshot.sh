#!/usr/bin/env bash
# Draws the window into docs/window.png (start state) and
# docs/window-type3.png (the default hood confirmed as pattern type 3), and
# that pattern's views into docs/pattern-view.png and docs/hood-3d.png.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default
cmake --build --preset default --target kiv_window_shot

mkdir -p docs
shot=build/default/tests/window/kiv_window_shot
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$shot" docs/window.png
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$shot" docs/window-type3.png --confirmed
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$shot" docs/pattern-view.png --pattern
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$shot" docs/hood-3d.png --hood3d
echo "wrote docs/window.png, docs/window-type3.png, docs/pattern-view.png and docs/hood-3d.png"
