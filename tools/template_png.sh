#!/usr/bin/env bash
# Renders sheet A2 of the default type-1 paper template (the third page,
# after the title sheet and A1) into docs/ for the README: the same PDF the
# program writes, drawn by poppler.
set -euo pipefail
source "$(dirname "$0")/png_build.sh" kiv_write_default_pdf
QT_QPA_PLATFORM=offscreen build/default/tests/window/kiv_write_default_pdf "$out"
pdftoppm -r 72 -f 3 -l 3 -singlefile -png "$out/type1.pdf" docs/template-type1-A2
echo "docs/template-type1-A2.png"
