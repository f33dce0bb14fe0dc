#!/usr/bin/env bash
# Renders the first sheet of a sample nested order into docs/ for the README:
# the same PDF `kiv nest` writes, drawn by poppler.
set -euo pipefail
source "$(dirname "$0")/png_build.sh" kiv
cat >"$out/order.csv" <<'CSV'
type,H,L1,L2,S,qty,name
1,250,500,800,0.7,4,hood-800
2,200,400,600,0.7,6,hood-600
3,150,300,400,0.7,8,hood-400
1,100,200,300,0.7,10,hood-300
CSV
build/default/cli/kiv nest "$out/order.csv" --out "$out/sheets" --seed 1
pdftoppm -r 100 -f 1 -l 1 -singlefile -png "$out/sheets/nest-sheets.pdf" docs/nest-sheet
echo "docs/nest-sheet.png"
