#!/usr/bin/env bash
# Every output of the command for a fixed set of hoods, orders and layouts,
# written into one folder: the corpus that the recorded checksums hold the
# program to, byte for byte, while its inside is rebuilt.
#   make_corpus.sh KIV FOLDER           writes the corpus
#   make_corpus.sh KIV FOLDER --check   and compares it with corpus.sha256
#   make_corpus.sh KIV FOLDER --update  and records it as the new corpus.sha256
set -euo pipefail
kiv=$(realpath "$1")
out=$2
mode=${3:-}
sums="$(cd "$(dirname "$0")" && pwd)/corpus.sha256"
rm -rf "$out"
mkdir -p "$out"
cd "$out"
# Fixed dates, and the same numbers whatever the desktop's locale.
export SOURCE_DATE_EPOCH=1700000000 LC_ALL=C.UTF-8 TZ=UTC

# One hood through every output: its JSON, and its texts with the script,
# drawing and template.
hood() {
    local name=$1
    shift
    mkdir "$name"
    (cd "$name" && "$kiv" calc --osmode 33 "$@" --json > hood.json 2>&1 || true)
    (cd "$name" && "$kiv" calc --osmode 33 "$@" --scr --dxf --pdf > files.txt 2>&1 || echo "status $?" >> files.txt)
}
for type in 1 2 3; do
    hood "t$type-default" --type "$type"
    hood "t$type-square" --type "$type" --L1 500 --L2 500 -H 250
    hood "t$type-long" --type "$type" --L1 120 --L2 2400 -H 80 -S 0.7
    hood "t$type-flat" --type "$type" --L1 1000 --L2 1600 -H 20 -S 1
    hood "t$type-steep" --type "$type" --L1 300 --L2 450 -H 900 -S 0.55
    hood "t$type-decimals" --type "$type" --L1 612.5 --L2 777.25 -H 133.3 -S 0.45 --P1 4.5 --P2 2.5 -d 3.5
    hood "t$type-thick" --type "$type" --L1 800 --L2 1200 -H 300 -S 2 --P1 10 --P2 6 -d 8
    hood "t$type-a3" --type "$type" --L1 900 --L2 1100 -H 400 --paper A3 --orientation landscape
    hood "t$type-letter" --type "$type" --L1 350 --L2 700 -H 150 --paper Letter --orientation portrait
    hood "t$type-tiny" --type "$type" --L1 10 --L2 10 -H 1 -S 0.5
    hood "t$type-refused" --type "$type" --L1 500 --L2 400
    hood "t$type-big" --type "$type" --L1 3000 --L2 6000 -H 1500 -S 1.5
done

# Orders as a spreadsheet saves them: commas and points, semicolons and
# decimal commas.
cat > comma.csv <<'ORDER'
name,type,H,L1,L2,S,P1,P2,d,qty
a,1,100,200,400,0.5,,,,2
b,2,150,300,450,0.7,4,2.5,,1
c,3,200,500,900,1,5,3,2.5,3
refused,1,100,500,400,0.5,,,,1
ORDER
printf 'name;type;H;L1;L2;S;qty\r\nd;3;120,5;250;380,25;0,55;2\r\ne;1;80;150;150;0,5;4\r\n' > semicolon.csv
"$kiv" batch comma.csv --out batch-comma --osmode 33 --formats scr,dxf,pdf > batch-comma.txt 2>&1 || echo "status $?" >> batch-comma.txt
"$kiv" batch semicolon.csv --out batch-semicolon --osmode 33 --name '{name}-{type}' > batch-semicolon.txt 2>&1 || echo "status $?" >> batch-semicolon.txt
# Layouts: a fixed number of steps, never the clock, decides them.
printf 'name,type,H,L1,L2,qty\nx,1,100,200,400,5\ny,3,150,300,500,3\n' > nest.csv
"$kiv" nest nest.csv --out nest-sheets --sheet 1000x2000 --time 600 --iterations 40 > nest-sheets.txt 2>&1 || echo "status $?" >> nest-sheets.txt
"$kiv" nest semicolon.csv --out nest-coil --coil 1250 --turns 45 --time 600 --iterations 40 > nest-coil.txt 2>&1 || echo "status $?" >> nest-coil.txt

case "$mode" in
--update) find . -type f | LC_ALL=C sort | xargs sha256sum > "$sums" ;;
--check)
    find . -type f | LC_ALL=C sort | xargs sha256sum > now.sha256.txt
    if ! diff <(grep -v ' ./now.sha256.txt$' now.sha256.txt) "$sums"; then
        echo "the outputs differ from the recorded corpus (lines marked < are today's)" >&2
        exit 1
    fi
    ;;
esac
