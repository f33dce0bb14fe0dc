#!/usr/bin/env bash
# Renders page A1 of the default type-1 paper template into docs/ for the
# README: the same PDF the program writes, drawn by poppler.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target kiv_write_default_pdf
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
QT_QPA_PLATFORM=offscreen build/default/tests/window/kiv_write_default_pdf "$out"
pdftoppm -r 72 -f 1 -l 1 -singlefile -png "$out/type1.pdf" docs/template-type1-A1
echo "docs/template-type1-A1.png"
