#!/usr/bin/env bash
# Times `kiv batch` on a generated order of 10,000 hoods (all three types,
# sizes spread), files on disk, on one core and on all cores, and with only
# the scripts, to see what the drawings and the disk add. Not a test: it
# prints hoods per second. Usage: bench/batch_run.sh [kiv binary] [rows]
set -euo pipefail
cd "$(dirname "$0")/.."

kiv="${1:-build/bench/cli/kiv}"
rows="${2:-10000}"
if [ ! -x "$kiv" ]; then
  cmake --preset bench >/dev/null
  cmake --build --preset bench --target kiv
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/kiv-batch-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Every row a different hood, so that no two rows share a file name.
awk -v n="$rows" 'BEGIN {
  print "type,H,L1,L2,S,P1,P2,d,qty,name"
  for (i = 0; i < n; i++) {
    t = 1 + i % 3
    printf "%d,%d,%d,%d,0.5,,,,%d,r%d\n", t, 80 + i % 97, 150 + i % 101, 400 + int(i / 3), 1 + i % 4, i
  }
}' >"$work/order.csv"

run() { # label, options...
  local label="$1"
  shift
  rm -rf "$work/out"
  local start end
  start=$(date +%s.%N)
  "$kiv" batch "$work/order.csv" --out "$work/out" --osmode 0 "$@" 2>/dev/null
  end=$(date +%s.%N)
  awk -v l="$label" -v n="$rows" -v s="$start" -v e="$end" \
    'BEGIN { printf "%-34s %7.2f s  %8.0f hoods/s\n", l, e - s, n / (e - s) }'
}

cores=$(nproc)
echo "kiv batch, $rows rows, $cores cores, files in $work"
run "scr+dxf, 1 core" -j 1
run "scr+dxf, all cores ($cores)" -j "$cores"
run "scr only, 1 core" -j 1 --formats scr
run "scr only, all cores ($cores)" -j "$cores" --formats scr
